#include "components/Application.h"

#include <exception>

#include "settings/Errors.h"

namespace pix {

TApplication::TApplication(Os& os, ApplicationBackend& backend)
    : os_(os), backend_(backend), title_(TitleOf(os, os.ModuleFileName())) {}

TApplication::~TApplication() = default;

std::string TApplication::TitleOf(Os& os, const std::string& modulePath) {
  const auto folderEnd = modulePath.find_last_of("\\:");
  std::string name = folderEnd == std::string::npos ? modulePath : modulePath.substr(folderEnd + 1);
  if (const auto dot = name.find('.'); dot != std::string::npos) name.resize(dot);
  if (name.size() > 1) name.replace(1, std::string::npos, os.LowerCase(name.substr(1)));
  return name;
}

void TApplication::Initialize() {
  backend_.CreateApplicationWindow(*this);
}

void TApplication::AdoptForm(std::unique_ptr<TForm> form) {
  TForm& adopted = *form;
  forms_.push_back(std::move(form));
  if (mainForm_ == nullptr) mainForm_ = &adopted;
  backend_.CreateFormWindows(adopted);
  for (TTimer* timer : adopted.Timers())
    timer->Attach(backend_.Timers());
  if (adopted.OnCreate) Dispatch([&] { adopted.OnCreate(&adopted); });
}

void TApplication::Run() {
  if (mainForm_ == nullptr) return;
  backend_.RunMessageLoop(*this, backend_.StartupShowCommand());
}

void TApplication::ShowException(const std::exception& error) {
  const auto* own = dynamic_cast<const Exception*>(&error);
  backend_.ShowErrorBox(title_, ErrorBoxText(own ? own->Message() : error.what()));
}

void TApplication::Dispatch(const std::function<void()>& work) {
  try {
    work();
  } catch (const std::exception& error) {
    ShowException(error);
  }
}

void TApplication::Halt(int exitCode) {
  backend_.EndProcess(exitCode);
  std::terminate();  // a backend that came back from ending the process is broken
}

}  // namespace pix

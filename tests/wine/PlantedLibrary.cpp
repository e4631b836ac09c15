// A library planted where a library search must not look. Loaded, it leaves
// "<its own path>.loaded" beside itself, so that a test sees which copy a
// process took, under whatever name it was planted.
#include <windows.h>

namespace {

void LeaveMark(HMODULE self) {
  constexpr wchar_t kSuffix[] = L".loaded";
  wchar_t path[MAX_PATH + sizeof kSuffix / sizeof kSuffix[0]] = {};
  const DWORD length = ::GetModuleFileNameW(self, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return;
  ::lstrcatW(path, kSuffix);
  const HANDLE mark =
      ::CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (mark != INVALID_HANDLE_VALUE) ::CloseHandle(mark);
}

}  // namespace

// The loader calls it by this name.
extern "C" BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) LeaveMark(self);
  return TRUE;
}

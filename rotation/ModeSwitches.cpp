// The two picture switches that choose how the countdown picks its picture.
#include "shell/pix_rn1.h"

namespace pix {

void TForm1::sflMouseDown(TObject*, TMouseButton, TShiftState, int, int) {
  PressPicture(sfl);
}

void TForm1::sflMouseUp(TObject*, TMouseButton, TShiftState, int, int) {
  ReleasePicture(sfl);
  if (CountdownRuns()) return;
  if (SelectionMode != smSequential && SelectionMode != smSequentialAdvanced) return;
  SelectionMode = smRandom;
  ShowModeFaces(smRandom);
}

void TForm1::nsflMouseDown(TObject*, TMouseButton, TShiftState, int, int) {
  PressPicture(nsfl);
}

void TForm1::nsflMouseUp(TObject*, TMouseButton, TShiftState, int, int) {
  ReleasePicture(nsfl);
  if (CountdownRuns()) return;
  if (SelectionMode != smRandom) return;
  SelectionMode = smSequential;
  ShowModeFaces(smSequential);
}

}  // namespace pix

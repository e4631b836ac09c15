// Draws the program's skin, list glyphs and icon into the folder given:
//   skingen skin/art
#include "tools/skingen/ArtFolder.h"

#include <exception>
#include <iostream>

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: skingen <output folder>\n";
    return 2;
  }
  try {
    pix::skingen::WriteAll(argv[1]);
  } catch (const std::exception& e) {
    std::cerr << "skingen: " << e.what() << '\n';
    return 1;
  }
  return 0;
}

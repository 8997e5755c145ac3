// A program that calls ShowHexDialog without a QApplication: the call must return, not abort.
#include "hexconv/ZarnHex.h"

int main() {
    ShowHexDialog();
    return 0;
}

// pelreg: reads and changes the keys and values of a registry store file from the command line.
#include "tools/pelreg.h"

int main(int argc, char** argv) { return pelok::tool::RunPelreg(argc, argv); }

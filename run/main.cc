#include "run/ravlen.h"

int main(int argc, char** argv) { return ravlen::runRavlen(argc, argv); }

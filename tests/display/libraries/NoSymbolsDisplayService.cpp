// A library that opens but exports neither display-service function.
extern "C" int glimmerboxTestUnrelatedFunction() { return 0; }

// A product source that names a simulator header. It must not compile with
// the product's include paths: the tests below build it and expect the
// header not to be found.
#include KVCHECKS_SEAM_HEADER

int main() { return 0; }

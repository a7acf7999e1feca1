// A loadable library without the component entry point.
extern "C" __attribute__((visibility("default"))) int kassa_not_an_entry() {
  return 1;
}

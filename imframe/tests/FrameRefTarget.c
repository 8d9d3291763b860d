/* A library with nothing to keep it loaded but the references taken on it. */
__attribute__((visibility("default"))) int FrameRefTarget_Value(void) {
    return 42;
}

/* A program that does nothing: it exists to carry a version resource. */
int main(void) { return 0; }

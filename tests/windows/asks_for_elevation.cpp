// A program whose embedded manifest asks Windows to start it elevated, for
// vrcheck to read as data; it is never run.
int main() { return 0; }

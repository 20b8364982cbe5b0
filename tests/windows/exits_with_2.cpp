// Stands in for a vrenlist.exe that answers with a wrong command line's
// status, so that the installer's test can see it abort.
int main() { return 2; }

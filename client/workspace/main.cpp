// Entry of the desktop client Zentry.
int main() { return 0; }

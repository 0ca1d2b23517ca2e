/* A plug-in whose support export reports failure. */
int support(char* names) {
    (void)names;
    return -1;
}

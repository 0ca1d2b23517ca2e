/* A plug-in library without the support export. */
#include <string.h>

int a(const char* param, char* output) {
    (void)param;
    strcpy(output, "never listed");
    return 0;
}

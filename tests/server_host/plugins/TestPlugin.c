/* A plug-in with three commands: a echoes its parameter, b writes nothing,
   c writes 5000 characters. The list has blanks and an empty piece. */
#include <string.h>

int support(char* names) {
    strcpy(names, " a , b,,c ");
    return 0;
}

int a(const char* param, char* output) {
    strcpy(output, "a:");
    strncat(output, param, 8000);
    return 0;
}

int b(const char* param, char* output) {
    (void)param;
    (void)output;
    return 0;
}

int c(const char* param, char* output) {
    (void)param;
    memset(output, 'x', 5000);
    return 0;
}

/* A report library that lacks one export (the one named by OMIT, compiled
   in twice: without add_table_file and without reset); every call it has
   is counted in calls.txt of the folder named by PARTIAL_TAVERIX_LOG. */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#define EXPORT __attribute__((visibility("default")))

static void Note(const char* what, const char* a, const char* b) {
    const char* folder = getenv("PARTIAL_TAVERIX_LOG");
    if (!folder) return;
    char path[4096];
    snprintf(path, sizeof path, "%s/calls.txt", folder);
    FILE* file = fopen(path, "a");
    if (!file) return;
    fprintf(file, "%s %s %s\n", what, a ? a : "-", b ? b : "-");
    fclose(file);
}

EXPORT int report(const char* script) { Note("report", script, 0); return 0; }
EXPORT int get_var(const char* script, const char* name, char* buffer) {
    Note("get_var", script, name);
    strcpy(buffer, "partial");
    return 0;
}
EXPORT int add_vars(const char* name, const char* value) { Note("add_vars", name, value); return 0; }
EXPORT int add_table(const char* name, const char* text) { Note("add_table", name, text); return 0; }
EXPORT int add_custom_script(const char* text) { Note("add_custom_script", text, 0); return 0; }
#ifndef OMIT_ADD_TABLE_FILE
EXPORT int add_table_file(const char* name, const char* path) { Note("add_table_file", name, path); return 0; }
#endif
#ifndef OMIT_RESET
EXPORT void reset(void) { Note("reset", 0, 0); }
#endif

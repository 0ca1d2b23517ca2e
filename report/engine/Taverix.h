/* The C interface of libTaverix.so: queue a report's inputs, run a report
   script, read a script's variable. Every function returns 0 on success and
   -1 on failure. */
#ifndef TAVERIX_H
#define TAVERIX_H

#ifdef __cplusplus
extern "C" {
#endif

#define TAVERIX_EXPORT __attribute__((visibility("default")))

/* get_var writes at most this many bytes, the terminating NUL included. */
#define TAVERIX_VAR_BUFFER 9000

TAVERIX_EXPORT int report(const char* scriptPath);
TAVERIX_EXPORT int get_var(const char* scriptPath, const char* name, char* buffer);
TAVERIX_EXPORT int add_vars(const char* name, const char* value);
/* name must be a Lua identifier (letters, digits, '_'; not a keyword). */
TAVERIX_EXPORT int add_table(const char* name, const char* text);
TAVERIX_EXPORT int add_table_file(const char* name, const char* path);
TAVERIX_EXPORT int add_custom_script(const char* text);
TAVERIX_EXPORT void reset(void);
/* Where the engine's messages go (null: the log and standard error). */
TAVERIX_EXPORT void set_message_handler(void (*handler)(const char* text));

#ifdef __cplusplus
}
#endif

#endif

/* Writes the templates of the sample report scripts into the folder given
   as the only argument: bug_list.xlsx and bug_query.xlsx. */
#include <stdio.h>
#include <string.h>
#include <xlsxwriter.h>

#include "TemplateFormats.h"

static int MakeTemplate(const char* folder, const char* file, const char* sheetName, const char* title,
                        const char* const* headers, int headerRow) {
    char path[4096];
    snprintf(path, sizeof path, "%s/%s", folder, file);
    lxw_workbook* book = workbook_new(path);
    if (!book) return 1;
    lxw_worksheet* sheet = workbook_add_worksheet(book, sheetName);
    lxw_format* titleFormat = TitleFormat(book);
    lxw_format* headFormat = HeaderFormat(book);
    int columns = 0;
    while (headers[columns]) ++columns;
    worksheet_merge_range(sheet, 0, 0, 0, (lxw_col_t)(columns - 1), title, titleFormat);
    worksheet_set_row(sheet, 0, 28, NULL);
    worksheet_write_string(sheet, 1, 0, "{date}", NULL);
    for (int c = 0; c < columns; ++c) {
        if (headerRow >= 0) worksheet_write_string(sheet, (lxw_row_t)headerRow, (lxw_col_t)c, headers[c], headFormat);
        worksheet_set_column(sheet, (lxw_col_t)c, (lxw_col_t)c, c == 1 ? 48 : 14, NULL);
    }
    return workbook_close(book) == LXW_NO_ERROR ? 0 : 1;
}

int main(int argc, char** argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: %s <folder>\n", argv[0]);
        return 2;
    }
    static const char* const listHeaders[] = {"编号", "摘要", "状态", "严重程度", NULL};
    static const char* const queryHeaders[] = {"BG_BUG_ID", "BG_SUMMARY", "BG_STATUS", "BG_SEVERITY", NULL};
    int failed = MakeTemplate(argv[1], "bug_list.xlsx", "缺陷列表", "缺陷列表（共 {count} 个）", listHeaders, 2);
    /* The query report writes its own header line from the query. */
    failed |= MakeTemplate(argv[1], "bug_query.xlsx", "{dsn}", "数据源 {dsn} 的缺陷", queryHeaders, -1);
    return failed;
}

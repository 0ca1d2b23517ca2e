/* Writes the template workbooks of the predefined report scripts into the
   folder given as the only argument: bug_status.xlsx. */
#include <stdio.h>
#include <xlsxwriter.h>

#include "TemplateFormats.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: %s <folder>\n", argv[0]);
        return 2;
    }
    static const char* const headers[] = {"编号", "摘要", "状态", "严重程度", "负责人", "发现日期"};
    static const double widths[] = {10, 48, 14, 12, 12, 20};
    const int columns = (int)(sizeof headers / sizeof headers[0]);
    char path[4096];
    snprintf(path, sizeof path, "%s/bug_status.xlsx", argv[1]);
    lxw_workbook* book = workbook_new(path);
    if (!book) return 1;
    lxw_worksheet* sheet = workbook_add_worksheet(book, "缺陷状态");
    lxw_format* title = TitleFormat(book);
    lxw_format* head = HeaderFormat(book);
    worksheet_merge_range(sheet, 0, 0, 0, (lxw_col_t)(columns - 1), "缺陷状态报表", title);
    worksheet_set_row(sheet, 0, 28, NULL);
    /* One key to a cell: the engine replaces the first key a cell holds. */
    worksheet_write_string(sheet, 1, 0, "统计日期: {date}", NULL);
    worksheet_write_string(sheet, 1, 2, "共 {count} 个缺陷", NULL);
    for (int c = 0; c < columns; ++c) {
        worksheet_write_string(sheet, 2, (lxw_col_t)c, headers[c], head);
        worksheet_set_column(sheet, (lxw_col_t)c, (lxw_col_t)c, widths[c], NULL);
    }
    return workbook_close(book) == LXW_NO_ERROR ? 0 : 1;
}

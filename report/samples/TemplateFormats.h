/* The look the report templates share: a large bold centred title over
   bold, shaded and ruled column headers. */
#ifndef TEMPLATE_FORMATS_H
#define TEMPLATE_FORMATS_H

#include <xlsxwriter.h>

static inline lxw_format* TitleFormat(lxw_workbook* book) {
    lxw_format* format = workbook_add_format(book);
    format_set_bold(format);
    format_set_font_size(format, 16);
    format_set_align(format, LXW_ALIGN_CENTER);
    return format;
}

static inline lxw_format* HeaderFormat(lxw_workbook* book) {
    lxw_format* format = workbook_add_format(book);
    format_set_bold(format);
    format_set_bg_color(format, 0xDDEBF7);
    format_set_border(format, LXW_BORDER_THIN);
    return format;
}

#endif

#include "COdbcStatement.h"

#include "DateText.h"

#include <algorithm>
#include <cstring>

namespace {

// Columns declared longer than this many characters are read piece by piece.
const SQLULEN kLongestBound = 2000;
// Buffer bytes of one block of rows, and the most rows in a block.
const size_t kBlockBytes = 256 * 1024;
const SQLULEN kMostRows = 64;

SQLCHAR* Sqlc(const std::string& text) {
    return reinterpret_cast<SQLCHAR*>(const_cast<char*>(text.c_str()));
}

// Reads a value piece by piece straight into value: a first small piece,
// then the rest at the length the driver reports (or pieces of doubling
// size when it cannot tell).
bool ReadLong(SQLHSTMT stmt, SQLUSMALLINT index, SQLSMALLINT cType, std::string& value) {
    const size_t kFirstPiece = 512;
    const size_t kLargestPiece = 1 << 20;
    const size_t terminator = cType == SQL_C_CHAR ? 1 : 0;
    value.clear();
    size_t room = kFirstPiece;
    for (;;) {
        const size_t used = value.size();
        value.resize(used + room + terminator);
        SQLLEN indicator = 0;
        SQLRETURN rc = SQLGetData(stmt, index, cType, &value[used],
                                  static_cast<SQLLEN>(room + terminator), &indicator);
        if (rc == SQL_NO_DATA) {
            value.resize(used);
            return true;
        }
        if (!OdbcOk(rc)) {
            value.resize(used);
            return false;
        }
        if (indicator == SQL_NULL_DATA) {
            value.clear();
            return true;
        }
        const bool cut = indicator == SQL_NO_TOTAL || indicator > static_cast<SQLLEN>(room);
        const size_t got = cut ? room : static_cast<size_t>(indicator);
        value.resize(used + got);
        // SQL_SUCCESS_WITH_INFO with a cut piece: more follows.
        if (rc == SQL_SUCCESS || !cut) return true;
        if (indicator == SQL_NO_TOTAL) {
            room = room < kLargestPiece ? room * 2 : room;
        } else {
            room = std::max(static_cast<size_t>(indicator) - got, kFirstPiece);
        }
    }
}

}  // namespace

SQLRETURN COdbcStatement::Allocate(SQLHDBC dbc, int limitSeconds, bool& noScan) {
    m_values.clear();
    m_valueLengths.clear();
    m_described = false;
    m_columns.clear();
    m_names.clear();
    m_bindings.clear();
    m_rowsPerFetch = 1;
    m_fetched = 0;
    m_position = 0;
    m_ended = false;
    m_maxRows = 0;
    SQLRETURN rc = m_stmt.Allocate(dbc);
    if (!OdbcOk(rc)) return rc;
    // The server's own braces never reach the driver; nothing else in a
    // statement is the driver's to rewrite.
    if (noScan && SQLSetStmtAttr(Get(), SQL_ATTR_NOSCAN, reinterpret_cast<SQLPOINTER>(SQL_NOSCAN_ON),
                                 0) != SQL_SUCCESS)
        noScan = false;
    if (limitSeconds > 0)
        SQLSetStmtAttr(Get(), SQL_ATTR_QUERY_TIMEOUT,
                       reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(limitSeconds)), 0);
    return SQL_SUCCESS;
}

SQLRETURN COdbcStatement::Prepare(const std::string& text) {
    COdbcWatchdog::CGuard guard(m_watch, Get(), m_deadline);
    // The same text again keeps its descriptions and buffers; its values
    // are bound again.
    if (!m_prepareAgain) m_described = false;
    m_prepareAgain = false;
    m_values.clear();
    m_maxRows = static_cast<SQLULEN>(-1);  // set again, whatever the driver kept
    return SQLPrepare(Get(), Sqlc(text), SQL_NTS);
}

SQLRETURN COdbcStatement::BindParams(const std::vector<CBindValue>& values) {
    // Values bound here stay in place until SQLExecute has read them.
    m_values = values;
    m_valueLengths.assign(m_values.size(), 0);
    for (size_t i = 0; i < m_values.size(); ++i) {
        CBindValue& v = m_values[i];
        const SQLUSMALLINT number = static_cast<SQLUSMALLINT>(i + 1);
        SQLRETURN rc;
        switch (v.kind) {
        case CBindValue::kInteger:
            rc = SQLBindParameter(Get(), number, SQL_PARAM_INPUT, SQL_C_SBIGINT, SQL_BIGINT, 0, 0,
                                  &v.integer, 0, nullptr);
            break;
        case CBindValue::kReal:
            rc = SQLBindParameter(Get(), number, SQL_PARAM_INPUT, SQL_C_DOUBLE, SQL_DOUBLE, 0, 0,
                                  &v.real, 0, nullptr);
            break;
        default: {
            const SQLSMALLINT sqlType = v.kind == CBindValue::kLongText ? SQL_LONGVARCHAR : SQL_VARCHAR;
            m_valueLengths[i] = static_cast<SQLLEN>(v.text.size());
            const SQLULEN size = v.text.empty() ? 1 : v.text.size();
            rc = SQLBindParameter(Get(), number, SQL_PARAM_INPUT, SQL_C_CHAR, sqlType, size, 0,
                                  const_cast<char*>(v.text.data()),
                                  static_cast<SQLLEN>(v.text.size()), &m_valueLengths[i]);
            break;
        }
        }
        if (!OdbcOk(rc)) return rc;
    }
    return SQL_SUCCESS;
}

SQLRETURN COdbcStatement::BindIntegers(const std::vector<long long>& values) {
    bool same = m_values.size() == values.size();
    for (size_t i = 0; same && i < values.size(); ++i)
        same = m_values[i].kind == CBindValue::kInteger;
    if (same) {
        // Bound to the same places: the new values are read at execute.
        for (size_t i = 0; i < values.size(); ++i) m_values[i].integer = values[i];
        return SQL_SUCCESS;
    }
    std::vector<CBindValue> typed(values.size());
    for (size_t i = 0; i < values.size(); ++i) {
        typed[i].kind = CBindValue::kInteger;
        typed[i].integer = values[i];
    }
    return BindParams(typed);
}

SQLRETURN COdbcStatement::SetMaxRows(SQLULEN rows) {
    if (rows == m_maxRows) return SQL_SUCCESS;  // -1 after a prepare: always set
    SQLRETURN rc = SQLSetStmtAttr(Get(), SQL_ATTR_MAX_ROWS, reinterpret_cast<SQLPOINTER>(rows), 0);
    if (OdbcOk(rc)) m_maxRows = rows;
    return rc;
}

SQLRETURN COdbcStatement::Execute() {
    m_fetched = 0;
    m_position = 0;
    m_ended = false;
    COdbcWatchdog::CGuard guard(m_watch, Get(), m_deadline);
    const SQLRETURN rc = SQLExecute(Get());
    return rc == SQL_NO_DATA ? SQL_SUCCESS : rc;
}

SQLRETURN COdbcStatement::ExecuteDirect(const std::string& text) {
    m_fetched = 0;
    m_position = 0;
    m_ended = false;
    COdbcWatchdog::CGuard guard(m_watch, Get(), m_deadline);
    const SQLRETURN rc = SQLExecDirect(Get(), Sqlc(text), SQL_NTS);
    return rc == SQL_NO_DATA ? SQL_SUCCESS : rc;
}

bool COdbcStatement::Describe() {
    m_columns.clear();
    m_names.clear();
    SQLSMALLINT count = 0;
    if (!OdbcOk(SQLNumResultCols(Get(), &count))) return false;
    for (SQLSMALLINT i = 1; i <= count; ++i) {
        CColumn c;
        SQLCHAR name[1024];
        SQLSMALLINT nameLength = 0;
        if (!OdbcOk(SQLDescribeCol(Get(), static_cast<SQLUSMALLINT>(i), name, sizeof name,
                                   &nameLength, &c.type, &c.size, &c.scale, &c.nullable)))
            return false;
        c.name = reinterpret_cast<char*>(name);
        m_names.push_back(c.name);
        m_columns.push_back(c);
    }
    m_described = true;
    return true;
}

bool COdbcStatement::BindColumns(const CDriverInfo& driver, int rowsHint, int dateFormat) {
    m_dateFormat = dateFormat;
    m_bindings.assign(m_columns.size(), CBinding());
    size_t rowBytes = 0;
    for (size_t i = 0; i < m_columns.size(); ++i) {
        const CColumn& c = m_columns[i];
        CBinding& b = m_bindings[i];
        const bool fits = c.size > 0 && c.size <= kLongestBound;
        switch (c.type) {
        case SQL_FLOAT:
        case SQL_DOUBLE: b.kind = kDouble; b.width = sizeof(double); break;
        case SQL_REAL: b.kind = kFloat; b.width = sizeof(float); break;
        case SQL_TYPE_TIMESTAMP:
        case SQL_TIMESTAMP:
        case SQL_TYPE_DATE:
        case SQL_DATE: b.kind = kTimestamp; b.width = sizeof(SQL_TIMESTAMP_STRUCT); break;
        case SQL_BINARY:
        case SQL_VARBINARY:
            b.kind = fits ? kBinary : kLongBinary;
            b.width = fits ? static_cast<SQLLEN>(c.size) : 0;
            break;
        case SQL_LONGVARBINARY: b.kind = kLongBinary; break;
        case SQL_LONGVARCHAR:
        case SQL_WLONGVARCHAR: b.kind = kLongChar; break;
        case SQL_DECIMAL:
        case SQL_NUMERIC:
            // Digits, sign, point and the terminator.
            b.kind = kDecimal;
            b.width = static_cast<SQLLEN>(std::max<SQLULEN>(c.size, 38) + 3);
            break;
        default:
            // Text, integers of any width, and everything else as the
            // driver's text; up to 4 bytes a character in UTF-8.
            b.kind = fits ? kChar : kLongChar;
            b.width = fits ? static_cast<SQLLEN>(std::max<SQLULEN>(c.size * 4 + 1, 32)) : 0;
            break;
        }
        // A value longer than its buffer is read again with SQLGetData, and
        // long columns between bound ones: a driver that cannot do both
        // fills no buffers.
        b.bound = driver.bindColumns && b.kind != kLongChar && b.kind != kLongBinary;
        if (b.bound) rowBytes += static_cast<size_t>(b.width) + sizeof(SQLLEN);
    }
    // Rows in blocks only where SQLGetData works inside a block: the
    // SQLite driver fills one row per fetch, bound values and all.
    SQLULEN rows = 1;
    if (driver.bindColumns && driver.getDataInBlocks && rowsHint > 1) {
        rows = std::min<SQLULEN>(static_cast<SQLULEN>(rowsHint), kMostRows);
        rows = std::max<SQLULEN>(1, std::min<SQLULEN>(rows, kBlockBytes / std::max<size_t>(rowBytes, 1)));
    }
    m_rowsPerFetch = rows;
    m_positioned = rows > 1;
    m_rowStatus.assign(rows, SQL_ROW_SUCCESS);
    if (!OdbcOk(SQLSetStmtAttr(Get(), SQL_ATTR_ROW_ARRAY_SIZE, reinterpret_cast<SQLPOINTER>(rows), 0)) ||
        !OdbcOk(SQLSetStmtAttr(Get(), SQL_ATTR_ROWS_FETCHED_PTR, &m_fetched, 0)) ||
        !OdbcOk(SQLSetStmtAttr(Get(), SQL_ATTR_ROW_STATUS_PTR, m_rowStatus.data(), 0)))
        return false;
    for (size_t i = 0; i < m_bindings.size(); ++i) {
        CBinding& b = m_bindings[i];
        if (!b.bound) continue;
        b.buffer.assign(static_cast<size_t>(b.width) * rows, 0);
        b.lengths.assign(rows, 0);
        SQLSMALLINT cType = SQL_C_CHAR;
        switch (b.kind) {
        case kBinary: cType = SQL_C_BINARY; break;
        case kDouble: cType = SQL_C_DOUBLE; break;
        case kFloat: cType = SQL_C_FLOAT; break;
        case kTimestamp: cType = SQL_C_TYPE_TIMESTAMP; break;
        default: break;
        }
        if (!OdbcOk(SQLBindCol(Get(), static_cast<SQLUSMALLINT>(i + 1), cType, b.buffer.data(),
                               b.width, b.lengths.data())))
            return false;
    }
    return true;
}

int COdbcStatement::Fetch(std::vector<std::string>& values) {
    if (m_position >= m_fetched) {
        if (m_ended) return 0;
        SQLRETURN rc;
        {
            COdbcWatchdog::CGuard guard(m_watch, Get(), m_deadline);
            rc = SQLFetch(Get());
        }
        if (rc == SQL_NO_DATA) {
            m_ended = true;
            m_fetched = 0;
            return 0;
        }
        if (!OdbcOk(rc)) return -1;
        if (m_rowsPerFetch == 1) m_fetched = 1;
        m_position = 0;
        if (m_fetched == 0) {
            m_ended = true;
            return 0;
        }
    }
    const size_t row = m_position++;
    if (m_rowStatus[row] == SQL_ROW_ERROR) return -1;
    values.resize(m_columns.size());
    bool positioned = !m_positioned;
    for (size_t i = 0; i < m_columns.size(); ++i) {
        const CBinding& b = m_bindings[i];
        const SQLLEN length = b.bound ? b.lengths[row] : 0;
        // A text that filled its buffer may have been cut (the terminator
        // takes a byte); binary data has no terminator.
        const bool cut = length == SQL_NO_TOTAL ||
                         ((b.kind == kChar || b.kind == kDecimal) && length >= b.width) ||
                         (b.kind == kBinary && length > b.width);
        const bool reread = !b.bound || cut;
        // Inside a block SQLGetData reads the row the cursor stands on.
        if (reread && !positioned) {
            if (!OdbcOk(SQLSetPos(Get(), static_cast<SQLSETPOSIROW>(row + 1), SQL_POSITION,
                                  SQL_LOCK_NO_CHANGE)))
                return -1;
            positioned = true;
        }
        if (!ReadValue(i, row, reread, values[i])) return -1;
    }
    return 1;
}

bool COdbcStatement::ReadValue(size_t column, size_t row, bool fromDriver, std::string& value) {
    const CBinding& b = m_bindings[column];
    const SQLUSMALLINT index = static_cast<SQLUSMALLINT>(column + 1);
    if (fromDriver) {
        SQLLEN indicator = 0;
        switch (b.kind) {
        case kDouble: {
            double d = 0;
            if (!OdbcOk(SQLGetData(Get(), index, SQL_C_DOUBLE, &d, 0, &indicator))) return false;
            value = indicator == SQL_NULL_DATA ? std::string() : FormatDouble(d);
            return true;
        }
        case kFloat: {
            float f = 0;
            if (!OdbcOk(SQLGetData(Get(), index, SQL_C_FLOAT, &f, 0, &indicator))) return false;
            value = indicator == SQL_NULL_DATA ? std::string() : FormatFloat(f);
            return true;
        }
        case kTimestamp: {
            SQL_TIMESTAMP_STRUCT ts;
            memset(&ts, 0, sizeof ts);
            if (!OdbcOk(SQLGetData(Get(), index, SQL_C_TYPE_TIMESTAMP, &ts, sizeof ts, &indicator)))
                return false;
            value = indicator == SQL_NULL_DATA ? std::string() : DateOf(ts);
            return true;
        }
        case kBinary:
        case kLongBinary: return ReadLong(Get(), index, SQL_C_BINARY, value);
        default:
            if (!ReadLong(Get(), index, SQL_C_CHAR, value)) return false;
            if (b.kind == kDecimal && !value.empty()) value = TrimDecimal(value);
            return true;
        }
    }
    const SQLLEN length = b.lengths[row];
    if (length == SQL_NULL_DATA) {
        value.clear();
        return true;
    }
    const char* data = b.buffer.data() + static_cast<size_t>(b.width) * row;
    switch (b.kind) {
    case kDouble: {
        double d;
        memcpy(&d, data, sizeof d);
        value = FormatDouble(d);
        return true;
    }
    case kFloat: {
        float f;
        memcpy(&f, data, sizeof f);
        value = FormatFloat(f);
        return true;
    }
    case kTimestamp: {
        SQL_TIMESTAMP_STRUCT ts;
        memcpy(&ts, data, sizeof ts);
        value = DateOf(ts);
        return true;
    }
    case kDecimal:
        value.assign(data, static_cast<size_t>(length));
        if (!value.empty()) value = TrimDecimal(value);
        return true;
    default:
        value.assign(data, static_cast<size_t>(length));
        return true;
    }
}

std::string COdbcStatement::DateOf(const SQL_TIMESTAMP_STRUCT& ts) const {
    CDateTime when;
    when.year = ts.year;
    when.month = ts.month;
    when.day = ts.day;
    when.hour = ts.hour;
    when.minute = ts.minute;
    when.second = ts.second;
    return FormatDate(when, m_dateFormat);
}

bool COdbcStatement::CloseCursor() {
    m_fetched = 0;
    m_position = 0;
    m_ended = false;
    return OdbcOk(SQLFreeStmt(Get(), SQL_CLOSE));
}

// CSqlStatement: an SQL text made ready for binding. Brace date literals
// become bind variables, the ":name<type>" variables of the text are found
// (outside quoted literals) and replaced by "?" markers for the driver, and
// the typed values added with AddParam are matched to them by name.
#pragma once

#include "CSqlParam.h"

#include <string>
#include <vector>

// One bind variable of the statement text, in order of appearance.
struct CBindVar {
    std::string name;      // "clDesc" of ":clDesc<varchar_long>"
    std::string declType;  // "varchar_long"
};

class CSqlStatement {
public:
    CSqlStatement();
    explicit CSqlStatement(const char* sql);

    // Stores the text and parses it.
    void SetSql(const char* sql);
    // Rebuilds the rewritten text, the bind variables and both parameter
    // lists from the stored text. False when the text is malformed (an
    // unterminated bind declaration); the error text says why.
    bool Parse();

    const std::string& GetSql() const { return m_sql; }
    // The text with brace date literals as ":pvarN<timestamp>" (what the
    // server logs).
    const std::string& GetRewrittenSql() const { return m_rewritten; }
    // The text handed to the driver: every bind variable replaced by "?".
    const std::string& GetDriverSql() const { return m_driverSql; }
    const std::vector<CBindVar>& GetBindVars() const { return m_bindVars; }
    // The bind parameters: date literals first, then the added ones.
    const std::vector<CSqlParam>& GetDateParams() const { return m_params; }
    const std::vector<CSqlParam>& GetNamedPieces() const { return m_namedPieces; }

    // Appends a parameter of the type code (0, 2, 3, 4, 5) converted from the
    // text; false (nothing appended) for an unknown type code. A parameter
    // with a name binds every variable of that name; one without a name binds
    // the next variable that no named parameter claims.
    bool AddParam(int type, const char* value, const char* name = nullptr);

    // For each bind variable, in order, the parameter it binds. False when a
    // variable finds no parameter; the error text names it.
    bool ResolveBindings(std::vector<const CSqlParam*>& out, std::string& error) const;

    // The error text the database object leaves after executing this.
    const std::string& GetErrorText() const { return m_errorText; }
    void SetErrorText(const std::string& text) { m_errorText = text; }

private:
    std::string m_delimiters = "{}";
    std::string m_sql;
    std::string m_rewritten;
    std::string m_driverSql;
    std::vector<CSqlParam> m_namedPieces;
    std::vector<CSqlParam> m_params;
    std::vector<CBindVar> m_bindVars;
    std::string m_errorText;
};

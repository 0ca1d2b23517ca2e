// CDbConnectionBase: the operations both database objects (COdbcConnection,
// CSqliteConnection) share, over sessions of the derived object's kind:
// queries into result sets or ResultText, statements with bound
// parameters, the 20 paged-query slots, the numbered options and the last
// error. Every statement runs on the main session, in the order the calls
// come. With SetReadConnections and a commit type other than 0, queries
// run on reader sessions of their own, several at once; a paged query
// stays on the session that opened it, one of its own where its cursor
// holds a snapshot. All operations may be called from several threads.
#pragma once

#include "CDbOptions.h"
#include "CDbSession.h"
#include "CQuerySlot.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

class CListString;
class CResultSet;
class CSqlStatement;

class CDbConnectionBase {
public:
    CDbConnectionBase(const CDbConnectionBase&) = delete;
    CDbConnectionBase& operator=(const CDbConnectionBase&) = delete;
    virtual ~CDbConnectionBase();

    // Rows read (at most option 1), or -1 with the error text.
    int Query(const char* sql, CResultSet& result, CListString& errorText);
    int Query(const CSqlStatement& statement, CResultSet& result, CListString& errorText);
    // At most rowLimit rows, whatever option 1 says.
    int Query(const CSqlStatement& statement, CResultSet& result, CListString& errorText,
              int rowLimit);
    // The rows as ResultText with options 6 and 8 as separators and a header
    // line when option 9 is not 0; rows written (at most option 1), 0 when
    // no connection can be made, -1 on an error.
    int QueryToText(const char* sql, CListString& out, CListString& errorText);
    // At most rowLimit rows as ResultText with these separators, the header
    // line first when header is set, appended to out; the rows, or -1 with
    // the error text.
    int QueryToText(const CSqlStatement& statement, int rowLimit, bool header,
                    const std::string& sep, const std::string& lineSep, std::string& out,
                    std::string& error);
    // Runs a statement (brace date literals bound); commits when option 2 is
    // not 0. The last error text becomes "success" or the error's text.
    bool Execute(const char* sql, CListString& errorText);
    // As Execute, for a statement that carries its parameters; the error
    // text is left in the statement.
    bool ExecuteWithParams(CSqlStatement& statement);

    // Opens a paged query; false for a statement without result columns
    // (not run, error text "success"), a failure, or when all 20 slots are
    // in use.
    bool SelectPrepare(const char* sql, CListString& slotId, CListString& errorText);
    // Up to option-5 rows with the header fields; 0 at the end, -1 for an
    // unknown SlotId or a failed fetch.
    int SelectNext(const char* slotId, CResultSet& result);
    // Up to batch rows.
    int SelectNext(const char* slotId, CResultSet& result, int batch);
    bool SelectFinish(const char* slotId);
    // Frees every paged query idle for at least option 7 seconds.
    void CloseIdleSlots();

    void SetOption(int option, const char* value);
    CDbOptions GetOptions() const;
    CListString GetErrorText() const;
    int GetErrorCode() const;

    // Queries run on this many reader sessions besides the main one while
    // the commit type is not 0 (0: everything on the main session). Set
    // before the first operation.
    void SetReadConnections(int count);
    // No statement runs longer than this many seconds (0: no limit); one
    // that would is stopped and fails.
    void SetStatementTimeout(int seconds);

protected:
    CDbConnectionBase();

    struct CLane {
        std::mutex mutex;
        std::unique_ptr<CDbSession> session;
        uint64_t generation = 0;  // of the schema its statement cache was made for
        bool main = false;
    };
    // A lane held locked for one operation.
    class CLease {
    public:
        CLease() = default;
        explicit CLease(CLane& lane) : m_lane(&lane), m_lock(lane.mutex) {}
        CLease(CLane& lane, std::adopt_lock_t) : m_lane(&lane), m_lock(lane.mutex, std::adopt_lock) {}
        CLease(CLease&&) = default;
        CLease& operator=(CLease&&) = default;
        CLane* Lane() const { return m_lane; }
        CDbSession& Session() const { return *m_lane->session; }
        void Release() {
            if (m_lock.owns_lock()) m_lock.unlock();
            m_lane = nullptr;
        }

    private:
        CLane* m_lane = nullptr;
        std::unique_lock<std::mutex> m_lock;
    };

    // A new, not yet open session of the derived object's kind; main tells
    // whether it is the main session.
    virtual std::unique_ptr<CDbSession> MakeSession(bool main) = 0;

    // The main session, locked.
    CLease LeaseMain();
    // A session for a query: the first free reader (the next in turn when
    // all are busy) while readers are on, else the main one.
    CLease LeaseForRead(const CDbOptions& options);
    // Opens the leased session; a reader that cannot log on hands the call
    // to the main session. False with the error (stored as the last error).
    bool OpenLease(CLease& lease, const CDbOptions& options, std::string& error);
    // Sets the time limit of the calls that follow on the leased session.
    void StartClock(CLease& lease);
    // Frees every paged query, then closes every session.
    void CloseSessions();
    // As CloseSessions, and forgets the sessions: the next use makes new ones.
    void DropSessions();
    // Stores and logs a failure: the last error text, the statement, code -1.
    void Fail(const std::string& message, const std::string& sql);
    void SetErrorText(const std::string& text);
    // A change of the schema: every session's kept statements go before its
    // next use.
    void SchemaChanged();

private:
    struct CPagedCursor {
        std::unique_ptr<CDbCursor> rows;
        CLane* lane = nullptr;
        void Reset() {
            rows.reset();
            lane = nullptr;
        }
    };
    typedef CQuerySlot<CPagedCursor> CSlot;

    bool ReadersOn(const CDbOptions& options) const;
    CLane& Reader(size_t index);
    std::vector<CLane*> AllLanes();
    // Into the result set, or as text into text with the header and
    // separators given.
    struct CTextForm {
        bool header;
        const std::string& sep;
        const std::string& lineSep;
    };
    int QueryOn(const CSqlStatement& statement, int rowLimit, CResultSet* result,
                std::string* text, const CTextForm* form, const CDbOptions& options,
                std::string& error);
    bool ExecuteOn(CSqlStatement& statement, const CDbOptions& options, std::string& error);
    // Frees the slot holding id when it still does (and, with idleSeconds
    // >= 0, is idle that long); true when freed.
    bool ResetSlot(CSlot& slot, const std::string& id, int idleSeconds);

    mutable std::mutex m_stateMutex;  // options, error, the reader lanes
    CDbOptions m_options;
    std::string m_errorText, m_errorSql;
    int m_errorCode = 0;
    int m_timeoutSeconds = 0;

    CLane m_main;
    std::vector<std::unique_ptr<CLane>> m_readers;
    // One per slot, for paged cursors that hold a snapshot of their
    // connection; opened on first use and kept.
    CLane m_slotLanes[CQuerySlotTable<CPagedCursor>::kSlotCount];
    std::atomic<unsigned> m_nextReader{0};
    std::atomic<uint64_t> m_generation{0};

    std::mutex m_slotMutex;  // slot ids, use and reservation; held briefly
    CQuerySlotTable<CPagedCursor> m_slots;
};

#include "CDbConnectionBase.h"

#include "CListString.h"
#include "CResultSet.h"
#include "CSqlStatement.h"
#include "LogMask.h"
#include "LogWriter.h"
#include "QueryShape.h"
#include "ResultText.h"

#include <ctime>

namespace {

const char kNoSlot[] = "没有多余的流查询可供使用";

// Statements that change rows but not the schema: the statements other
// sessions keep prepared stay good.
bool KeepsSchema(const std::string& sql) {
    const std::string word = FirstWord(sql);
    return word == "insert" || word == "update" || word == "delete" || word == "select";
}

}  // namespace

std::string TimeLimitText(int seconds) {
    return "the statement ran longer than query_timeout (" + std::to_string(seconds) +
           " s) and was stopped";
}

CDbConnectionBase::CDbConnectionBase() { m_main.main = true; }

CDbConnectionBase::~CDbConnectionBase() { CloseSessions(); }

void CDbConnectionBase::SetOption(int option, const char* value) {
    std::lock_guard<std::mutex> lock(m_stateMutex);
    m_options.Set(option, value);
}

CDbOptions CDbConnectionBase::GetOptions() const {
    std::lock_guard<std::mutex> lock(m_stateMutex);
    return m_options;
}

CListString CDbConnectionBase::GetErrorText() const {
    std::lock_guard<std::mutex> lock(m_stateMutex);
    return CListString(m_errorText.c_str());
}

int CDbConnectionBase::GetErrorCode() const {
    std::lock_guard<std::mutex> lock(m_stateMutex);
    return m_errorCode;
}

void CDbConnectionBase::SetErrorText(const std::string& text) {
    std::lock_guard<std::mutex> lock(m_stateMutex);
    m_errorText = text;
}

void CDbConnectionBase::Fail(const std::string& message, const std::string& sql) {
    {
        std::lock_guard<std::mutex> lock(m_stateMutex);
        m_errorText = message;
        m_errorSql = sql;
        m_errorCode = -1;
    }
    LogMessage("%s\n", ErrorForLog(message, sql).c_str());
    LogMessage("%s\n", SqlForLog(sql).c_str());
}

void CDbConnectionBase::SetReadConnections(int count) {
    std::lock_guard<std::mutex> lock(m_stateMutex);
    const size_t wanted = count > 0 ? static_cast<size_t>(count) : 0;
    while (m_readers.size() < wanted) m_readers.push_back(std::make_unique<CLane>());
    m_readers.resize(wanted);
}

void CDbConnectionBase::SetStatementTimeout(int seconds) {
    std::lock_guard<std::mutex> lock(m_stateMutex);
    m_timeoutSeconds = seconds > 0 ? seconds : 0;
}

void CDbConnectionBase::SchemaChanged() { ++m_generation; }

bool CDbConnectionBase::ReadersOn(const CDbOptions& options) const {
    // A commit type of 0 keeps a session's uncommitted work on its one
    // connection: nothing may read beside it.
    if (options.commitType == 0) return false;
    std::lock_guard<std::mutex> lock(m_stateMutex);
    return !m_readers.empty();
}

CDbConnectionBase::CLane& CDbConnectionBase::Reader(size_t index) {
    std::lock_guard<std::mutex> lock(m_stateMutex);
    return *m_readers[index % m_readers.size()];
}

namespace {

// Makes the lane's session on first use and drops the statements it keeps
// when the schema changed since they were prepared.
template <class Lane, class Make>
void Ready(Lane& lane, uint64_t generation, Make make) {
    if (!lane.session) lane.session = make(lane.main);
    if (lane.generation != generation) {
        lane.session->ClearCache();
        lane.generation = generation;
    }
}

}  // namespace

CDbConnectionBase::CLease CDbConnectionBase::LeaseMain() {
    CLease lease(m_main);
    Ready(m_main, m_generation.load(), [this](bool main) { return MakeSession(main); });
    return lease;
}

CDbConnectionBase::CLease CDbConnectionBase::LeaseForRead(const CDbOptions& options) {
    if (!ReadersOn(options)) return LeaseMain();
    size_t count;
    {
        std::lock_guard<std::mutex> lock(m_stateMutex);
        count = m_readers.size();
    }
    // The first free one: a lone client keeps to one connection, whose
    // statements stay prepared and whose database process stays warm.
    CLease lease;
    CLane* chosen = nullptr;
    for (size_t i = 0; i < count && !chosen; ++i) {
        CLane& lane = Reader(i);
        if (lane.mutex.try_lock()) {
            lease = CLease(lane, std::adopt_lock);
            chosen = &lane;
        }
    }
    if (!chosen) {
        // All busy: wait for each in turn.
        chosen = &Reader(m_nextReader++);
        lease = CLease(*chosen);
    }
    Ready(*chosen, m_generation.load(), [this](bool main) { return MakeSession(main); });
    return lease;
}

bool CDbConnectionBase::OpenLease(CLease& lease, const CDbOptions& options, std::string& error) {
    if (lease.Session().EnsureOpen(options, error)) return true;
    if (!lease.Lane()->main) {
        // The database may take no more connections: the main one serves.
        LogMessage("a reader connection cannot log on, the main one serves: %s\n", error.c_str());
        lease.Release();
        lease = LeaseMain();
        if (lease.Session().EnsureOpen(options, error)) return true;
    }
    Fail(error, "");
    return false;
}

void CDbConnectionBase::StartClock(CLease& lease) {
    int seconds;
    {
        std::lock_guard<std::mutex> lock(m_stateMutex);
        seconds = m_timeoutSeconds;
    }
    const CDbSession::Clock::time_point deadline =
        seconds > 0 ? CDbSession::Clock::now() + std::chrono::seconds(seconds)
                    : CDbSession::Clock::time_point::max();
    lease.Session().SetDeadline(deadline, seconds);
}

int CDbConnectionBase::Query(const char* sql, CResultSet& result, CListString& errorText) {
    return Query(CSqlStatement(sql), result, errorText);
}

int CDbConnectionBase::Query(const CSqlStatement& statement, CResultSet& result,
                             CListString& errorText) {
    return Query(statement, result, errorText, GetOptions().rowLimit);
}

// -2: no session could be opened (the logon's failure is stored).
int CDbConnectionBase::QueryOn(const CSqlStatement& statement, int rowLimit, CResultSet* result,
                               std::string* text, const CTextForm* form,
                               const CDbOptions& options, std::string& error) {
    const bool plain = IsPlainQuery(statement.GetDriverSql());
    CLease lease = plain ? LeaseForRead(options) : LeaseMain();
    const size_t textStart = text ? text->size() : 0;
    for (int attempt = 0;; ++attempt) {
        if (result) result->Clear();
        if (text) text->resize(textStart);
        if (!OpenLease(lease, options, error)) return -2;
        StartClock(lease);
        CDbSession& session = lease.Session();
        std::unique_ptr<CDbCursor> cursor = session.OpenQuery(statement, options, rowLimit, error);
        if (cursor) {
            bool ended = false;
            const int rows = result ? FillResultSet(*cursor, rowLimit, true, *result, ended, error)
                                    : FillResultText(*cursor, rowLimit, form->header, form->sep,
                                                     form->lineSep, *text, ended, error);
            if (rows >= 0) {
                session.EndQuery(std::move(cursor), ended, rowLimit > 0 && rows >= rowLimit, options);
                // Anything but a query may have changed the schema.
                if (!plain) SchemaChanged();
                return rows;
            }
            cursor.reset();
        }
        session.QueryFailed(options);
        // A statement that failed because the connection went is run again
        // once on a new one: nothing of it was done.
        if (attempt == 0 && session.ConnectionLost()) continue;
        if (result) result->Clear();
        if (!plain) SchemaChanged();
        return -1;
    }
}

int CDbConnectionBase::Query(const CSqlStatement& statement, CResultSet& result,
                             CListString& errorText, int rowLimit) {
    const CDbOptions options = GetOptions();
    std::string error;
    const int rows = QueryOn(statement, rowLimit, &result, nullptr, nullptr, options, error);
    if (rows < 0) {
        errorText = error.c_str();
        if (rows == -1) Fail(error, statement.GetRewrittenSql());
        return -1;
    }
    return rows;
}

int CDbConnectionBase::QueryToText(const char* sql, CListString& out, CListString& errorText) {
    out = "";
    errorText = "";
    const CDbOptions options = GetOptions();
    CSqlStatement statement(sql);
    std::string text, error;
    const CTextForm form{options.header != 0, options.columnSep, options.lineSep};
    const int rows = QueryOn(statement, options.rowLimit, nullptr, &text, &form, options, error);
    if (rows == -2) return 0;
    out = text.c_str();
    if (rows < 0) {
        errorText = error.c_str();
        Fail(error, statement.GetRewrittenSql());
    }
    return rows;
}

int CDbConnectionBase::QueryToText(const CSqlStatement& statement, int rowLimit, bool header,
                                   const std::string& sep, const std::string& lineSep,
                                   std::string& out, std::string& error) {
    const CDbOptions options = GetOptions();
    const CTextForm form{header, sep, lineSep};
    const int rows = QueryOn(statement, rowLimit, nullptr, &out, &form, options, error);
    if (rows < 0) {
        if (rows == -1) Fail(error, statement.GetRewrittenSql());
        return -1;
    }
    return rows;
}

bool CDbConnectionBase::Execute(const char* sql, CListString& errorText) {
    SetErrorText("success");
    if (!sql) return false;
    CSqlStatement statement(sql);
    if (!ExecuteWithParams(statement)) {
        errorText = statement.GetErrorText().c_str();
        return false;
    }
    errorText = "success";
    return true;
}

bool CDbConnectionBase::ExecuteWithParams(CSqlStatement& statement) {
    SetErrorText("success");
    statement.SetErrorText("success");
    const CDbOptions options = GetOptions();
    std::string error;
    const bool ok = ExecuteOn(statement, options, error);
    if (!KeepsSchema(statement.GetDriverSql())) SchemaChanged();
    if (!ok) {
        statement.SetErrorText(error);
        return false;
    }
    SetErrorText("success");
    return true;
}

bool CDbConnectionBase::ExecuteOn(CSqlStatement& statement, const CDbOptions& options,
                                  std::string& error) {
    CLease lease = LeaseMain();
    for (int attempt = 0;; ++attempt) {
        if (!OpenLease(lease, options, error)) return false;
        StartClock(lease);
        CDbSession& session = lease.Session();
        if (session.Execute(statement, options, error)) return true;
        // With commit type 0 the lost transaction held earlier statements
        // too: running this one alone again would hide their loss.
        if (attempt == 0 && session.ConnectionLost() && options.commitType != 0) continue;
        Fail(error, statement.GetRewrittenSql());
        return false;
    }
}

bool CDbConnectionBase::SelectPrepare(const char* sql, CListString& slotId,
                                      CListString& errorText) {
    slotId = "";
    CSlot* slot;
    {
        std::lock_guard<std::mutex> lock(m_slotMutex);
        slot = m_slots.FindFreeSlot();
        // Reserved: its empty id keeps every other call away from it.
        if (slot) slot->lastUse = time(nullptr);
    }
    if (!slot) {
        errorText = kNoSlot;
        SetErrorText(kNoSlot);
        return false;
    }
    auto release = [&] {
        std::lock_guard<std::mutex> lock(m_slotMutex);
        slot->Reset();
    };
    errorText = "success";
    const CDbOptions options = GetOptions();
    CSqlStatement statement(sql);
    const bool plain = IsPlainQuery(statement.GetDriverSql());
    std::string error;
    CLease lease = plain ? LeaseForRead(options) : LeaseMain();
    if (plain && ReadersOn(options)) {
        if (!OpenLease(lease, options, error)) {
            release();
            errorText = error.c_str();
            return false;
        }
        if (lease.Session().CursorHoldsSnapshot()) {
            // The slot's own session: queries on a reader beside this cursor
            // would see no newer rows.
            int index = 0;
            while (&m_slots.At(index) != slot) ++index;
            lease.Release();
            lease = CLease(m_slotLanes[index]);
            Ready(m_slotLanes[index], m_generation.load(),
                  [this](bool main) { return MakeSession(main); });
        }
    }
    std::unique_ptr<CDbCursor> cursor;
    bool noColumns = false;
    for (int attempt = 0;; ++attempt) {
        if (!OpenLease(lease, options, error)) {
            release();
            errorText = error.c_str();
            return false;
        }
        StartClock(lease);
        cursor = lease.Session().OpenPaged(statement, options, noColumns, error);
        if (cursor || noColumns) break;
        lease.Session().QueryFailed(options);
        if (attempt == 0 && lease.Session().ConnectionLost()) continue;
        break;
    }
    if (!cursor) {
        release();
        if (!noColumns) {
            errorText = error.c_str();
            Fail(error, statement.GetSql());
        }
        return false;
    }
    std::lock_guard<std::mutex> lock(m_slotMutex);
    slot->columns = cursor->Columns();
    slot->columnCount = static_cast<int>(slot->columns.size());
    slot->cursor.rows = std::move(cursor);
    slot->cursor.lane = lease.Lane();
    slot->sql = statement.GetSql();
    slot->lastUse = time(nullptr);
    slot->status = "success";
    slot->slotId = MakeSlotId();
    slotId = slot->slotId.c_str();
    return true;
}

int CDbConnectionBase::SelectNext(const char* slotId, CResultSet& result) {
    return SelectNext(slotId, result, GetOptions().fetchCount);
}

int CDbConnectionBase::SelectNext(const char* slotId, CResultSet& result, int batch) {
    const std::string id = slotId ? slotId : "";
    CSlot* slot;
    {
        std::lock_guard<std::mutex> lock(m_slotMutex);
        slot = m_slots.FindSlot(id);
        if (!slot) return -1;
    }
    std::lock_guard<std::mutex> use(slot->use);
    CLane* lane;
    {
        std::lock_guard<std::mutex> lock(m_slotMutex);
        if (!slot->inUse || slot->slotId != id || !slot->cursor.lane) return -1;
        lane = slot->cursor.lane;
    }
    CLease lease(*lane);
    const CDbOptions options = GetOptions();
    result.Clear();
    if (options.header != 0) SetResultFields(result, slot->columns);
    // A batch size below 1 would report the end while rows remain.
    const int rows = batch > 0 ? batch : 1000;
    StartClock(lease);
    slot->cursor.rows->ExpectRows(rows);
    bool ended = false;
    std::string error;
    const int got = FillResultSet(*slot->cursor.rows, rows, false, result, ended, error);
    std::lock_guard<std::mutex> lock(m_slotMutex);
    slot->lastUse = time(nullptr);
    if (got < 0) {
        {
            std::lock_guard<std::mutex> state(m_stateMutex);
            m_errorText = error;
            m_errorSql = slot->sql;
            m_errorCode = -1;
        }
        LogMessage("Error:%s\n", ErrorForLog(error, slot->sql).c_str());
        LogMessage("sql=%s\n", SqlForLog(slot->sql).c_str());
        return -1;
    }
    return got;
}

bool CDbConnectionBase::ResetSlot(CSlot& slot, const std::string& id, int idleSeconds) {
    std::lock_guard<std::mutex> use(slot.use);
    CLane* lane;
    {
        std::lock_guard<std::mutex> lock(m_slotMutex);
        if (!slot.inUse || slot.slotId != id) return false;
        lane = slot.cursor.lane;
    }
    CLease lease;
    if (lane) lease = CLease(*lane);
    std::unique_ptr<CDbCursor> rows;
    {
        std::lock_guard<std::mutex> lock(m_slotMutex);
        if (!slot.inUse || slot.slotId != id) return false;
        if (idleSeconds >= 0 && time(nullptr) - slot.lastUse < idleSeconds) return false;
        rows = std::move(slot.cursor.rows);
        slot.Reset();
    }
    // Freed with its session held, outside the slot table's lock.
    rows.reset();
    return true;
}

bool CDbConnectionBase::SelectFinish(const char* slotId) {
    const std::string id = slotId ? slotId : "";
    CSlot* slot;
    {
        std::lock_guard<std::mutex> lock(m_slotMutex);
        slot = m_slots.FindSlot(id);
        if (!slot) return false;
    }
    return ResetSlot(*slot, id, -1);
}

void CDbConnectionBase::CloseIdleSlots() {
    const int idle = GetOptions().idleSeconds;
    for (int i = 0; i < CQuerySlotTable<CPagedCursor>::kSlotCount; ++i) {
        CSlot& slot = m_slots.At(i);
        std::string id;
        {
            std::lock_guard<std::mutex> lock(m_slotMutex);
            if (!slot.inUse || slot.slotId.empty() || time(nullptr) - slot.lastUse < idle)
                continue;
            id = slot.slotId;
        }
        ResetSlot(slot, id, idle);
    }
}

std::vector<CDbConnectionBase::CLane*> CDbConnectionBase::AllLanes() {
    std::vector<CLane*> lanes;
    {
        std::lock_guard<std::mutex> lock(m_stateMutex);
        for (auto& lane : m_readers) lanes.push_back(lane.get());
    }
    for (CLane& lane : m_slotLanes) lanes.push_back(&lane);
    lanes.push_back(&m_main);
    return lanes;
}

void CDbConnectionBase::CloseSessions() {
    for (int i = 0; i < CQuerySlotTable<CPagedCursor>::kSlotCount; ++i) {
        CSlot& slot = m_slots.At(i);
        std::string id;
        {
            std::lock_guard<std::mutex> lock(m_slotMutex);
            if (!slot.inUse || slot.slotId.empty()) continue;
            id = slot.slotId;
        }
        ResetSlot(slot, id, -1);
    }
    // The main session last: it commits what the others never held.
    for (CLane* lane : AllLanes()) {
        std::lock_guard<std::mutex> lock(lane->mutex);
        if (lane->session) lane->session->Close();
    }
}

void CDbConnectionBase::DropSessions() {
    CloseSessions();
    for (CLane* lane : AllLanes()) {
        std::lock_guard<std::mutex> lock(lane->mutex);
        lane->session.reset();
    }
}

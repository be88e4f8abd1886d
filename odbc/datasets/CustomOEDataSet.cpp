// TCustomOEDataSet: construction, properties, statement text, opening and closing.
#include "odbc/datasets/CustomOEDataSet.h"

#include "odbc/base/OcihText.h"
#include "odbc/datasets/DataSetHstmt.h"
#include "odbc/datasets/OEBlobStream.h"
#include "odbc/datasets/OEDataLink.h"
#include "odbc/datasets/OEParams.h"
#include "odbc/datasets/OEUpdateObject.h"
#include "odbc/handles/Hdbc.h"
#include "odbc/statements/Hstmt.h"
#include "platform/db/ControlsOff.h"
#include "platform/db/DataSource.h"
#include "platform/db/HandleException.h"

#include <algorithm>
#include <utility>

TCustomOEDataSet::TCustomOEDataSet(TComponent* owner) : TDataSet(owner)
{
    Construct(nullptr);
}

TCustomOEDataSet::TCustomOEDataSet(TComponent* owner, std::unique_ptr<THstmt> statement) : TDataSet(owner)
{
    Construct(std::move(statement));
}

void TCustomOEDataSet::Construct(std::unique_ptr<THstmt> statement)
{
    statement_ = statement ? std::move(statement) : std::make_unique<THstmt>(nullptr);
    statement_->SetOnInsert([this](TComponent* s, const std::string& m) { return DoInsert(s, m); });
    statement_->SetOnUpdate([this](TComponent* s, const std::string& m) { return DoUpdate(s, m); });
    statement_->SetOnDelete([this](TComponent* s, const std::string& m) { return DoDelete(s, m); });
    statement_->SetOnRefresh([this](TComponent* s, const std::string& m) { return DoRefresh(s, m); });
    statement_->SetOnRowCount([this](TComponent* s) { return DoRowCount(s); });
    hStmt_ = std::make_unique<TDataSetHstmt>(this, statement_.get());
    dataLink_ = std::make_unique<TOEDataLink>(this);
    params_ = std::make_unique<TOEParams>(this);
    if (THdbc* connection = FirstHdbc(Owner()))
        statement_->SetHdbc(connection);
}

TCustomOEDataSet::~TCustomOEDataSet()
{
    try {
        Close();
    } catch (...) {
    }
    SetUpdateObject(nullptr);
    for (TOEBlobStream* stream : blobStreams_)
        stream->Detach();
    blobStreams_.clear();
    FreeSingleBuffers();
    FreeCache();
    dataLink_.reset();
    hStmt_.reset();
    try {
        statement_.reset();
    } catch (...) {
    }
}

// ---- Properties

THdbc* TCustomOEDataSet::hDbc() const
{
    return statement_->hDbc();
}

void TCustomOEDataSet::SetHdbc(THdbc* connection)
{
    DesignClose();
    statement_->SetHdbc(connection);
    // Told when a connection of another owner goes, so the statement never keeps it.
    if (connection != nullptr)
        connection->FreeNotification(this);
}

void TCustomOEDataSet::SetSQL(const std::string& text)
{
    DesignClose();
    table_.clear();
    storedProc_.clear();
    sql_ = text;
    statement_->SetSQL(text);
    paramsChanged_ = !HasState(csLoading) && (paramCheck_ || HasState(csDesigning));
    textRead_ = HasState(csLoading);
    UnPrepare();
    if (HasState(csDesigning))
        DataEvent(dePropertyChange);
}

void TCustomOEDataSet::SetTable(const std::string& name)
{
    DesignClose();
    table_ = name;
    storedProc_.clear();
    paramsChanged_ = !HasState(csLoading) && (paramCheck_ || HasState(csDesigning));
    textRead_ = false;
    UnPrepare();
    if (HasState(csDesigning))
        DataEvent(dePropertyChange);
}

void TCustomOEDataSet::SetStoredProc(const std::string& name)
{
    DesignClose();
    table_.clear();
    storedProc_ = name;
    paramsChanged_ = !HasState(csLoading) && (paramCheck_ || HasState(csDesigning));
    textRead_ = false;
    UnPrepare();
    if (HasState(csDesigning))
        DataEvent(dePropertyChange);
}

void TCustomOEDataSet::SetDataSource(TDataSource* source)
{
    if (source != nullptr && IsLinkedTo(source))
        throw RIDIZOrurori("Circular Reference to DataSource");
    dataLink_->SetDataSource(source);
}

TDataSource* TCustomOEDataSet::GetDataSource() const
{
    return dataLink_ ? dataLink_->DataSource() : nullptr;
}

TDataSet* TCustomOEDataSet::MasterDataSet() const
{
    return dataLink_ ? dataLink_->DataSet() : nullptr;
}

void TCustomOEDataSet::SetEditable(bool value)
{
    DesignClose();
    editable_ = value;
    if (value && !HasState(csLoading) && statement_->ConcurrencyType() == 1 &&
        !(statement_->SkipByPosition() && statement_->SkipByCursor()))
        statement_->SetConcurrencyType(4);
}

void TCustomOEDataSet::SetCached(bool value)
{
    DesignClose();
    cached_ = value;
    if (value) {
        if (!HasState(csLoading))
            statement_->SetCursorType(0);
        statement_->SetSkipByPosition(true);
        statement_->SetSkipByCursor(true);
    } else {
        if (!HasState(csLoading) && statement_->CursorType() == 0) {
            THdbc* connection = statement_->hDbc();
            statement_->SetCursorType(connection != nullptr && connection->CursorLib() != 2 ? 3 : 1);
        }
        statement_->SetRowSetSize(1);
        SetCachedUpdates(false);
    }
}

void TCustomOEDataSet::SetCachedUpdates(bool value)
{
    DesignClose();
    cachedUpdates_ = value;
    if (value)
        SetCached(true);
}

void TCustomOEDataSet::SetBlockReadSize(int value)
{
    (void)value;
}

void TCustomOEDataSet::Notification(TComponent* component, TOperation operation)
{
    TDataSet::Notification(component, operation);
    if (statement_ == nullptr)
        return;
    if (operation == opRemove && component == updateObject_)
        updateObject_ = nullptr;
    auto* connection = dynamic_cast<THdbc*>(component);
    if (operation == opInsert && connection != nullptr && statement_->hDbc() == nullptr)
        statement_->SetHdbc(connection);
    else if (operation == opRemove && component == statement_->hDbc())
        statement_->SetHdbc(nullptr);
}

void TCustomOEDataSet::Loaded()
{
    // References to components read by name: the owner has them all by now.
    if (Owner() != nullptr) {
        if (!streamedHdbc_.empty())
            if (auto* connection = dynamic_cast<THdbc*>(Owner()->FindComponent(streamedHdbc_)))
                statement_->SetHdbc(connection);
        if (!streamedDataSource_.empty())
            if (auto* source = dynamic_cast<TDataSource*>(Owner()->FindComponent(streamedDataSource_)))
                SetDataSource(source);
        if (!streamedUpdateObject_.empty())
            if (auto* object = dynamic_cast<TOEUpdateObject*>(Owner()->FindComponent(streamedUpdateObject_)))
                SetUpdateObject(object);
    }
    streamedHdbc_.clear();
    streamedDataSource_.clear();
    streamedUpdateObject_.clear();
    // The parameters read with the text keep their values; those it no longer names go and those it
    // names anew come, as after any change of the text (before a streamed Active opens). A designer
    // keeps the parameters as they were stored.
    if (std::exchange(textRead_, false) && paramCheck_ && !HasState(csDesigning))
        paramsChanged_ = true;
    TDataSet::Loaded();
}

// ---- Statement

void TCustomOEDataSet::DesignClose()
{
    if (HasState(csLoading))
        return;
    // Changes still waiting in the cache go with the dataset here: a setter closes it deliberately.
    designClosing_ = true;
    struct Reset
    {
        bool& flag;
        ~Reset() { flag = false; }
    } reset{designClosing_};
    statement_->Terminate();
}

void TCustomOEDataSet::SetPrepared(bool value)
{
    if (value)
        Prepare();
    else
        UnPrepare();
}

void TCustomOEDataSet::Prepare()
{
    if (prepared_ || HasState(csLoading))
        return;
    std::string text;
    if (!table_.empty()) {
        text = "SELECT * FROM " + Quoted(table_);
    } else if (!storedProc_.empty()) {
        CreateParams();
        // {:R = CALL P(:A, :B)}, {CALL P} without parameters.
        text = "{";
        for (int i = 0; i < params_->Count(); ++i) {
            if (params_->Items(i)->ParamType() == ptResult) {
                text += ":" + params_->Items(i)->Name() + " = ";
                break;
            }
        }
        text += "CALL " + storedProc_ + "(";
        for (int i = 0; i < params_->Count(); ++i)
            if (params_->Items(i)->ParamType() != ptResult)
                text += ":" + params_->Items(i)->Name() + ", ";
        if (text.back() == ' ')
            text.replace(text.size() - 2, 2, ")}");
        else if (text.back() == '(')
            text.back() = '}';
    } else if (!sql_.empty()) {
        text = sql_;
    } else {
        throw RIDIZOrurori("SQL-, Table- or StoredProc-Property must be set.");
    }
    statement_->SetSQL(text);
    statement_->Prepare();
    prepared_ = true;
    UnBind();
}

void TCustomOEDataSet::UnPrepare()
{
    prepared_ = false;
    UnBind();
}

void TCustomOEDataSet::ExecSQL()
{
    BindParams();
    statement_->Execute();
    ReadOEParams();
}

void TCustomOEDataSet::AbortQuery()
{
    statement_->AbortQuery();
}

std::int32_t TCustomOEDataSet::GetRowsAffected()
{
    const auto n = statement_->GetRowsAffected();
    return n < 0 ? -1 : static_cast<std::int32_t>(n);
}

bool TCustomOEDataSet::NextResultSet()
{
    const bool more = statement_->MoreResults();
    ReadOEParams();
    if (more && Active()) {
        switchingResults_ = true;
        struct Reset
        {
            bool& flag;
            ~Reset() { flag = false; }
        } reset{switchingResults_};
        RefreshResults();
    }
    return more;
}

void TCustomOEDataSet::RefreshResults()
{
    ControlsOff controlsOff(*this);
    Close();
    Open();
}

void TCustomOEDataSet::RefreshParams()
{
    ControlsOff controlsOff(*this);
    TDataSet* master = MasterDataSet();
    if (master != nullptr && master->Active() && master->State() != dsSetKey) {
        // Reopening would drop the changes waiting in the cache, which exist nowhere else: the records
        // they belong to stay until ApplyUpdates or CancelUpdates is done with them.
        if (cachedUpdates_ && Active() && UpdatesPending()) {
            behindMaster_ = true;
            return;
        }
        Close();
        Open();
    }
}

void TCustomOEDataSet::CatchUpWithMaster()
{
    if (!behindMaster_ || UpdatesPending())
        return;
    behindMaster_ = false;
    RefreshParams();
}

// ---- Opening and closing

void TCustomOEDataSet::InternalOpen()
{
    Log(2, "TCustomOEDataSet.InternalOpen");
    // Records of an earlier layout go before the columns are described anew.
    FreeSingleBuffers();
    FreeCache();
    overflow_.clear();
    SetParamsFromCursor();
    InternalInitFieldDefs();
    // A new result: the cursor stands before its first row.
    cursorRun_ = 1;
    cursorPos_ = 0;
    behindMaster_ = false;
    allFetched_ = false;
    pendingInserts_ = 0;
    cachePosition_ = 0;
    bookmarkCounter_ = 0;
    cursorOpen_ = true;
    if (DefaultFields())
        CreateFields();
    BindFields(true);
    int offset = 0;
    for (Column& c : columns_) {
        c.offset = offset;
        offset += c.size;
    }
    recInfoOffset_ = offset;
    calcFieldsOffset_ = recInfoOffset_ + kRecInfoSize;
    recordBufferSize_ = calcFieldsOffset_ + CalcFieldsSize();
    // Without a cache, the block also holds the cursor position of a record without a bookmark.
    SetBookmarkSize(cached_ ? 4 : std::max(static_cast<int>(statement_->BookmarkLength()), 8));
    filterBuffer_ = AllocRecordBuffer();
    oldValueBuffer_ = AllocRecordBuffer();
    locateBuffer_ = AllocRecordBuffer();
}

void TCustomOEDataSet::InternalClose()
{
    Log(2, "TCustomOEDataSet.InternalClose");
    FreeSingleBuffers();
    FreeCache();
    overflow_.clear();
    cursorOpen_ = false;
    FreeParamBuffers();
    if (DefaultFields())
        DestroyFields();
    // A cursor lost with its connection is not there to close: closing it would connect again.
    const bool cursorLost = cursorLost_;
    cursorLost_ = false;
    // Last, so that a failing driver call leaves the dataset closed all the same.
    if (!switchingResults_ && !cursorLost)
        statement_->CloseCursor();
}

void TCustomOEDataSet::InternalInitFieldDefs()
{
    Log(2, "TCustomOEDataSet.InternalInitFieldDefs");
    if (!switchingResults_)
        ExecSQL();
    FieldDefs().Clear();
    DescribeColumns();
    const TStringList& names = statement_->GetColNames();
    for (int c = 1; c <= static_cast<int>(columns_.size()); ++c) {
        const Column& column = columns_[static_cast<size_t>(c - 1)];
        const bool sized = column.type == ftString || column.type == ftBytes;
        TFieldDef& def = FieldDefs().Add(names.Strings(c - 1), column.type, sized ? column.precision : 0,
                                         statement_->GetColNullable(static_cast<std::uint16_t>(c)) == 0);
        def.FieldNo = c;
        def.Precision = statement_->GetColScale(static_cast<std::uint16_t>(c));
    }
}

void TCustomOEDataSet::FreeSingleBuffers()
{
    FreeRecordBuffer(filterBuffer_);
    FreeRecordBuffer(oldValueBuffer_);
    FreeRecordBuffer(locateBuffer_);
}

void TCustomOEDataSet::FreeCache()
{
    FreeRecordBuffers(updateBuffers_);
    FreeRecordBuffers(cacheBuffers_);
    deletedBookmarks_.clear();
    deletedFollowers_.clear();
    editPosted_ = false;
}

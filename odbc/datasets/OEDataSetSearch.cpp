// TCustomOEDataSet: filtering through OnFilterRecord, Locate, Lookup and FindRecord.
#include "odbc/datasets/CustomOEDataSet.h"

#include "odbc/base/OcihText.h"
#include "odbc/handles/Values.h"
#include "odbc/statements/Hstmt.h"
#include "platform/core/StringUtils.h"
#include "platform/core/ValueScope.h"
#include "platform/db/ControlsOff.h"
#include "platform/db/Field.h"
#include "platform/db/HandleException.h"
#include "platform/db/TempState.h"

// ---- Filter

bool TCustomOEDataSet::FilterAccepted(const TBookmark& bookmark)
{
    if (!Filtered() && !findFiltering_)
        return true;
    bool accepted = true;
    if (OnFilterRecord()) {
        TempState filtering(*this, dsFilter);
        LoadRecord(filterBuffer_, bookmark);
        GetCalcFields(filterBuffer_);
        try {
            OnFilterRecord()(this, accepted);
        } catch (...) {
            // The handler's failure is shown; the row counts as the handler left accepted.
            HandleCurrentException(this);
        }
    }
    return accepted;
}

void TCustomOEDataSet::SetFiltered(bool value)
{
    TDataSet::SetFiltered(value);
    ShowFilteredAgain();
}

void TCustomOEDataSet::SetOnFilterRecord(TFilterRecordEvent handler)
{
    TDataSet::SetOnFilterRecord(std::move(handler));
    ShowFilteredAgain();
}

void TCustomOEDataSet::ShowFilteredAgain()
{
    if (!Active())
        return;
    // Reopening would drop the changes the cache keeps: its records are shown again from the first,
    // an open edit posted as before any move.
    if (cachedUpdates_)
        First();
    else
        RefreshResults();
}

// ---- Locate and Lookup

bool TCustomOEDataSet::KeyMatches(TField& field, const Variant& value, TLocateOptions options)
{
    if (value.IsClear())
        return field.IsNull();
    // A value never matches a null field (whose text is empty and whose number reads 0).
    if (field.IsNull())
        return false;
    switch (field.DataType()) {
    case ftString:
    case ftMemo: {
        const TStringTrimming trimming = statement_->StringTrimming();
        std::string text = TrimString(field.AsString(), trimming);
        std::string key = TrimString(value.AsString(), trimming);
        if (options & loCaseInsensitive) {
            text = UpperCase(text);
            key = UpperCase(key);
        }
        if (options & loPartialKey) {
            const auto position = text.find(key);
            return locateOption_ == loPrefix ? position == 0 : position != std::string::npos;
        }
        return text == key;
    }
    case ftSmallint:
    case ftInteger:
    case ftWord:
        return value.AsInteger() == field.AsInteger();
    case ftLargeint:
        return value.AsInt64() == field.AsVariant().AsInt64();
    case ftBoolean:
        return value.AsBoolean() == field.AsBoolean();
    case ftFloat:
        return value.AsFloat() == field.AsFloat();
    case ftCurrency:
        return value.AsCurrency() == field.AsCurrency();
    case ftDate:
    case ftTime:
    case ftDateTime:
        return field.AsDateTime() == value.AsDateTime();
    default:
        return value.AsString() == field.AsString();
    }
}

bool TCustomOEDataSet::LocateRecord(const std::string& keyFields, const Variant& keyValues,
                                    TLocateOptions options)
{
    CheckBrowseMode();
    CursorPosChanged();
    const std::vector<TField*> fields = GetFieldList(keyFields);
    ControlsOff disabled(*this);
    InternalFirst();
    for (;;) {
        if (GetRecord(locateBuffer_, gmNext, false) != grOK)
            return false;
        bool match = true;
        for (std::size_t i = 0; i < fields.size() && match; ++i) {
            const Variant& value = fields.size() == 1 ? keyValues : keyValues[static_cast<int>(i)];
            match = KeyMatches(*fields[i], value, options);
        }
        if (match)
            return true;
    }
}

void TCustomOEDataSet::GotoFound(TRecordBuffer buffer, bool scrollEvents)
{
    if (HasBookmark(buffer)) {
        GotoBookmark(BookmarkOf(buffer));
        InternalSetToRecord(buffer);
        Resync(rmExact | rmCenter);
        return;
    }
    // No bookmark to go to: the cursor stands on the found row, and the window takes the record
    // from the search's buffer.
    if (scrollEvents)
        DoBeforeScroll();
    {
        ValueScope<TRecordBuffer> found(foundBuffer_, buffer);
        Resync(rmExact | rmCenter);
    }
    if (scrollEvents)
        DoAfterScroll();
}

bool TCustomOEDataSet::Locate(const std::string& keyFields, const Variant& keyValues, TLocateOptions options)
{
    Log(2, "TCustomOEDataSet.Locate");
    if (IsEmpty())
        return false;
    bool found = false;
    {
        ValueScope<TOEDataSetState> locating(extendedState_, dsLocate);
        found = LocateRecord(keyFields, keyValues, options);
    }
    if (found)
        GotoFound(locateBuffer_, true);
    return found;
}

Variant TCustomOEDataSet::Lookup(const std::string& keyFields, const Variant& keyValues,
                                 const std::string& resultFields)
{
    Log(2, "TCustomOEDataSet.Lookup");
    Variant result = Variant::Null();
    if (IsEmpty())
        return result;
    // The whole lookup reads the located record: without a bookmark GetCurrentRecord takes it from
    // the locate buffer.
    ValueScope<TOEDataSetState> locating(extendedState_, dsLocate);
    if (LocateRecord(keyFields, keyValues, 0)) {
        TRecordBuffer calc = CalcBuffer();
        GetCurrentRecord(calc);
        TempState calculating(*this, dsCalcFields);
        CalculateFields(calc);
        result = FieldValues(resultFields);
    }
    return result;
}

bool TCustomOEDataSet::FindRecord(bool restart, bool goForward)
{
    Log(2, "TCustomOEDataSet.FindRecord");
    CheckBrowseMode();
    DoBeforeScroll();
    SetFound(false);
    UpdateCursorPos();
    CursorPosChanged();
    bool found = false;
    {
        ValueScope<bool> filtering(findFiltering_, true);
        if (goForward) {
            if (restart)
                InternalFirst();
            found = GetRecord(filterBuffer_, gmNext, false) == grOK;
        } else {
            if (restart)
                InternalLast();
            found = GetRecord(filterBuffer_, gmPrior, false) == grOK;
        }
    }
    if (found) {
        GotoFound(filterBuffer_, false);
        SetFound(true);
        DoAfterScroll();
    }
    return found;
}

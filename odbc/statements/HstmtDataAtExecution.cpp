// THstmt: data at execution — long values sent in BlobSize pieces while the driver asks for them.
#include "odbc/statements/Hstmt.h"

#include "odbc/base/OcihError.h"
#include "odbc/driver/Oci.h"
#include "odbc/handles/Henv.h"

#include <algorithm>

namespace {

// The length a data-at-execution indicator announces; an indicator that announces none sends an
// empty value.
SqlLen AnnouncedLength(SqlLen indicator)
{
    return indicator <= SQL_LEN_DATA_AT_EXEC_OFFSET ? SQL_LEN_DATA_AT_EXEC_OFFSET - indicator : 0;
}

} // namespace

void THstmt::DataAtExecution(const std::vector<TCommonRec*>& records)
{
    RunningCall running;
    // A statement left waiting for data refuses every later call (HY010): whatever ends this loop
    // early cancels the execution it belongs to.
    struct CancelUnlessDone
    {
        THstmt& s;
        bool done = false;
        ~CancelUnlessDone()
        {
            if (!done && s.initialized_)
                Oci::SQLCancel(s.handle_);
        }
    } guard{*this};

    SQLPOINTER token = nullptr;
    std::int16_t rc = Oci::SQLParamData(handle_, &token);
    SetRetCode(rc);
    while (rc == SQL_NEED_DATA) {
        const auto found = std::find_if(records.begin(), records.end(),
                                        [&](const TCommonRec* rec) { return rec->Value == token; });
        if (found == records.end())
            throw RIDIZOrurori("The driver asked for data at execution of a value that is not bound.");
        const TCommonRec& rec = **found;
        const SqlLen total = AnnouncedLength(rec.Ind[0]);
        const SqlLen pieceSize = std::max<SqlLen>(blobSize_, 1);
        auto* bytes = static_cast<std::uint8_t*>(rec.Value);
        SqlLen offset = 0;
        do {
            const SqlLen piece = std::min(pieceSize, total - offset);
            rc = Oci::SQLPutData(handle_, bytes + offset, piece);
            SetRetCode(rc);
            if (!GlobalHenv().Error().Success(rc))
                break;
            offset += piece;
        } while (offset < total);
        if (!Check(rc))
            return;
        rc = Oci::SQLParamData(handle_, &token);
        SetRetCode(rc);
    }
    guard.done = true;
    // SQL_NO_DATA: a searched write that touched no row, as for an execution without long values.
    if (rc != SQL_NO_DATA)
        Check(rc);
}

#include "odbc/handles/LostConnection.h"

#include <algorithm>
#include <array>
#include <string_view>

bool MeansLostConnection(const TErrorRec& rec)
{
    // The server ended the session: administrator command, crash of another backend, idle-session and
    // idle-in-transaction time-outs. A cancelled query (57014) leaves the session alive.
    static constexpr std::array<std::string_view, 4> kServerEnded = {"57P01", "57P02", "57P05", "25P03"};
    const std::string_view state = rec.State;
    return state.starts_with("08") ||
           std::find(kServerEnded.begin(), kServerEnded.end(), state) != kServerEnded.end();
}

bool AnyLostConnection(const std::vector<TErrorRec>& records)
{
    return std::any_of(records.begin(), records.end(), MeansLostConnection);
}

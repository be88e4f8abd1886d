#include "odbc/handles/LostConnection.h"

#include <algorithm>
#include <string_view>

bool MeansLostConnection(const TErrorRec& rec, const TDriverTraits& traits)
{
    const std::string_view state = rec.State;
    return state.starts_with("08") ||
           std::find(traits.LostConnectionStates.begin(), traits.LostConnectionStates.end(), state) !=
               traits.LostConnectionStates.end();
}

bool AnyLostConnection(const std::vector<TErrorRec>& records, const TDriverTraits& traits)
{
    return std::any_of(records.begin(), records.end(),
                       [&](const TErrorRec& rec) { return MeansLostConnection(rec, traits); });
}

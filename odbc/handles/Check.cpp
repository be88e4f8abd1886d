#include "odbc/handles/Check.h"

#include "odbc/handles/Henv.h"

bool CheckCall(THbase& owner, std::int16_t rc)
{
    owner.SetRetCode(rc);
    TODBCError& error = GlobalHenv().Error();
    if (error.Success(rc))
        return true;
    error.RaiseError(&owner, rc);
    return false;
}

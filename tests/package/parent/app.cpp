// The parent's program: it builds against the library's headers and links it.
#include "odbc/datasets/ODSI.h"
#include "odbc/statements/OCL.h"

#include <iostream>

int main()
{
    THdbc connection;
    TOEQuery query;
    query.SetHdbc(&connection);
    std::cout << (query.hDbc() == &connection ? "linked" : "not linked") << "\n";
    return query.hDbc() == &connection ? 0 : 1;
}

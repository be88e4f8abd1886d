// Allocations the ODBC drivers keep and never free (mdbtools' glib parser and table caches, the
// SQLite and PostgreSQL drivers' per-process state); they are not ours to free. The leak checker reads these
// in addition to tests/lsan.supp.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libglib-2.0\nleak:libmdb\nleak:libmdbodbc\nleak:libmdbsql\nleak:libsqlite3odbc\nleak:"
           "psqlodbca\nleak:libpq\n";
}

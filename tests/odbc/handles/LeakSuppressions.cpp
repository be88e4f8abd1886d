// The mdbtools driver keeps glib allocations it never frees (its parser and table caches); they are
// not ours to free. The leak checker reads these in addition to tests/lsan.supp.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libglib-2.0\nleak:libmdb\nleak:libmdbodbc\nleak:libmdbsql\n";
}

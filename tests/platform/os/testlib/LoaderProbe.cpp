// Exports one plain C entry point, like the outside libraries the program loads by name.
extern "C" int ProbeAdd(int a, int b)
{
    return a + b + 1000;
}

/* A stand-in photo decoder that only has to be found by name: GetBmp reports an error code. */
int GetBmp(const char* wltPath, int interfaceNumber)
{
    (void)wltPath;
    return -interfaceNumber;
}

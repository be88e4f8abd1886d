/* A stand-in for the reader vendor's SDK library: the five entries the main window binds by name.
 * Built twice by the tests: complete, and without SDT_ReadBaseFPMsg (FAKE_SDT_PARTIAL) to show that
 * a missing entry leaves only that one unbound. The entries report "no card". */
#include <stdint.h>

int SDT_GetSAMID(int port, unsigned char* samId, int flag)
{
    (void)port;
    (void)samId;
    (void)flag;
    return 0x90;
}

int SDT_StartFindIDCard(int port, unsigned char* scratch, int flag)
{
    (void)port;
    (void)scratch;
    (void)flag;
    return 0x80;
}

int SDT_SelectIDCard(int port, unsigned char* scratch, int flag)
{
    (void)port;
    (void)scratch;
    (void)flag;
    return 0x81;
}

int SDT_ReadBaseMsg(int port, unsigned char* text, uint32_t* textLength, unsigned char* photo,
                    uint32_t* photoLength, int flag)
{
    (void)port;
    (void)text;
    (void)photo;
    (void)flag;
    *textLength = 0;
    *photoLength = 0;
    return 0x41;
}

#ifndef FAKE_SDT_PARTIAL
int SDT_ReadBaseFPMsg(int port, unsigned char* text, uint32_t* textLength, unsigned char* photo,
                      uint32_t* photoLength, unsigned char* finger, uint32_t* fingerLength, int flag)
{
    (void)port;
    (void)text;
    (void)textLength;
    (void)photo;
    (void)photoLength;
    (void)finger;
    (void)fingerLength;
    (void)flag;
    return 0x41;
}
#endif

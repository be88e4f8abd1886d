// The program's entry. No argument is read.
#include "app/startup/ProgramEntry.h"

int main(int argc, char** argv)
{
    return RunProgram(argc, argv);
}

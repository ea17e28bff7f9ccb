// Memory that the program has freed but the C library still holds.
#pragma once

// Hands the freed pages of the heap back to the system. Start-up reads every data file whole and lays
// out every window once; what that needed and let go would otherwise count against the program for as
// long as it runs, which is months.
void ReturnFreedMemory();

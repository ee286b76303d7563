// Holds one file open, as a running driver service holds its files, until it
// is killed: read access shared for reading only, so the file can be copied
// but neither deleted, renamed nor overwritten.
//
// Usage: tw_wine_holder <file> <event name>
// Opens the file, then sets the named event (created by the caller) to say
// that it holds the file, and waits. Exit codes: 1 bad arguments, 2 the file
// could not be opened, 3 the event could not be opened.
#include <windows.h>

int main(int argc, char** argv) {
    if (argc != 3) return 1;
    // Deliberately never closed: the process ends by TerminateProcess, and
    // the system closes the handle then.
    HANDLE file = ::CreateFileA(argv[1], GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 2;
    HANDLE ready = ::OpenEventA(EVENT_MODIFY_STATE, FALSE, argv[2]);
    if (ready == nullptr) return 3;
    ::SetEvent(ready);
    ::CloseHandle(ready);
    for (;;) ::Sleep(INFINITE);
}

// Linked into every program. On Windows the C runtime splits the command
// line into arguments; mingw-w64's runtime expands file-name patterns in
// them (6? matching a file 64) only when the program defines _dowildcard
// as nonzero. Elsewhere the shell expands them and this file is empty.
#ifdef __MINGW32__
extern "C" {
extern int _dowildcard;
int _dowildcard = -1;
}
#endif

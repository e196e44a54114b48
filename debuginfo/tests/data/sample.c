/* A small DLL for the debuginfo tests: exports, imports from helper.dll (one by
   name, one by ordinal) and a DBGINFO section in the binary debug format. */
__declspec(dllimport) int helper_add(int a, int b);
__declspec(dllimport) int helper_ord(int a);

/* Header, one unit, two procedures, three lines, 36 bytes of names. */
struct dbgi_blob {
  unsigned header[6];
  unsigned units[4];
  unsigned procs[4];
  unsigned lines[6];
  char names[36];
};

#pragma section("DBGINFO", read)
__declspec(allocate("DBGINFO")) const struct dbgi_blob dbginfo = {
    {0x49474244u, 1, 1, 2, 3, 36},
    {0x1000, 0x1100, 0, 7},
    {0x1000, 16, 0x1040, 25},
    {0x1000, 10, 0x1008, 11, 0x1040, 20},
    "Sample\0sample.c\0qm_alpha\0qm_beta"};

__declspec(dllexport) int qm_alpha(int x) { return helper_add(x, 1); }
__declspec(dllexport) int qm_beta(int x) { return helper_ord(x) * 2; }
__declspec(dllexport) int qm_gamma(int x) { return x + (int)dbginfo.header[1]; }

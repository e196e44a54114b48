/* Call sites of every length the raw stack walk knows, one after the other, so that
   the address after each call is a return address: a direct call (5 bytes) and
   indirect calls through a register or memory (2, 2, 3, 3, 4, 6, 7, 6 bytes; the
   64-bit build adds a REX-prefixed register call of 3 bytes, an absolute one of 7
   and a RIP-relative one of 6). Never run. */
__declspec(dllexport) int qm_target(void) { return 1; }

#ifdef __x86_64__
__declspec(dllexport) __attribute__((naked)) void qm_sites(void) {
  __asm__(
      "call qm_target\n\t"
      "call *%rax\n\t"
      "call *(%rax)\n\t"
      "call *8(%rbx)\n\t"
      "call *(%rax,%rcx,4)\n\t"
      "call *8(%rax,%rcx,4)\n\t"
      "call *0x100(%rbx)\n\t"
      "call *0x100(%rax,%rcx,4)\n\t"
      "call *%r8\n\t"
      "call *0x12345678\n\t"
      "call *qm_target(%rip)\n\t"
      "ret\n\t");
}
#else
__declspec(dllexport) __attribute__((naked)) void qm_sites(void) {
  __asm__(
      "call _qm_target\n\t"
      "call *%eax\n\t"
      "call *(%eax)\n\t"
      "call *8(%ebx)\n\t"
      "call *(%eax,%ecx,4)\n\t"
      "call *8(%eax,%ecx,4)\n\t"
      "call *0x100(%ebx)\n\t"
      "call *0x100(%eax,%ecx,4)\n\t"
      "call *0x12345678\n\t"
      "ret\n\t");
}
#endif

/* Bytes that look like a call but lie in data. */
__declspec(dllexport) const unsigned char qm_fake_call[8] = {0xE8, 0, 0, 0, 0, 0x90, 0x90, 0x90};

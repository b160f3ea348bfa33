// A tiny macOS bundle for the loader's fuzzing seed and the checks' test files: one exported
// function that copies bytes and throws and catches an exception, so the code file carries
// imports, lazy and non-lazy pointers, an export trie and compact-unwind entries with an LSDA.
// It includes nothing, so it compiles for either architecture without the system's headers.
namespace {

struct Failure {
  int code;
};

void Fail(int code) { throw Failure{code}; }

}  // namespace

extern "C" __attribute__((visibility("default"))) int EntryPointFunc_tiny(int cmd, char* out,
                                                                          const char* in) {
  try {
    __builtin_memcpy(out, in, static_cast<unsigned long>(cmd & 7));
    if (cmd < 0) Fail(cmd);
    return 0;
  } catch (const Failure& f) {
    return f.code;
  }
}

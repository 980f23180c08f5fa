// vozpack: the archive tool of the product team. It makes the package that
// the installer carries, and the skin archives, with the installer's own
// format code, and lists, verifies, extracts and extends archives.
#include <cstdio>
#include <cstring>
#include <exception>
#include <stdexcept>

#include "commands.h"

namespace {

const char kUsage[] =
    "usage: vozpack COMMAND ARGUMENTS\n"
    "\n"
    "  create [--short] [--jobs N] ARCHIVE FOLDER\n"
    "  create [--short] [--jobs N] ARCHIVE FILE...\n"
    "  create [--short] [--jobs N] ARCHIVE --list LISTFILE\n"
    "        Packs the regular files of FOLDER (in byte order of their names), the\n"
    "        FILEs, or the files LISTFILE names one per line (relative to its folder;\n"
    "        '#' starts a comment), in that order. Long layout (\"C0\", with MD5\n"
    "        digests) unless --short (20-byte headers, as skins use). Compresses on\n"
    "        N threads (default: every core); the bytes are the same for any N.\n"
    "        Names are UTF-8 on this side and GBK in the archive, at most 12 bytes.\n"
    "        Only regular files (a FOLDER's subfolders are passed over), none\n"
    "        empty or larger than the installer can install; otherwise nothing is\n"
    "        written, and every file of FOLDER that is not regular is named.\n"
    "  append [--recover] ARCHIVE FILE...\n"
    "        Adds the FILEs to a long-layout ARCHIVE (made if missing). A name\n"
    "        already there is refused and nothing is added. Whole entries after\n"
    "        the counted ones (an append cut short) are refused unless --recover,\n"
    "        which counts them in when their names and contents check out.\n"
    "  list ARCHIVE\n"
    "        Prints every entry: name, stored and inflated size, digest, and why\n"
    "        it is bad; warns of names used twice and of bytes after the last\n"
    "        counted entry. Control characters in names are shown as \\xNN.\n"
    "  verify ARCHIVE FOLDER\n"
    "        Checks that FOLDER holds every entry's file with the entry's content.\n"
    "  extract ARCHIVE FOLDER\n"
    "        Writes every entry whose content checks out into FOLDER, going on\n"
    "        past entries it cannot write and naming them at the end. A path in\n"
    "        FOLDER that is not a regular file (a link, FIFO, device) is left alone.\n"
    "\n"
    "Entries inflate no further than the installer can install, so an archive\n"
    "of any size is read in time in proportion to its size and in bounded\n"
    "memory. Files are written through an unpredictable temporary name beside\n"
    "them, removed if the tool is interrupted.\n"
    "\n"
    "Exit status: 0 when all went well, 1 when an archive or file is damaged,\n"
    "missing or different, 2 on bad usage.\n";

int Dispatch(const std::string &command, const Arguments &arguments) {
  if (command == "create") return RunCreate(arguments);
  if (command == "append") return RunAppend(arguments);
  if (command == "list") return RunList(arguments);
  if (command == "verify") return RunVerify(arguments);
  if (command == "extract") return RunExtract(arguments);
  throw UsageError{"unknown command " + command};
}

}  // namespace

int main(int argc, char **argv) {
  if (argc < 2) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  if (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0 || std::strcmp(argv[1], "help") == 0) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  try {
    return Dispatch(argv[1], Arguments(argv + 2, argv + argc));
  } catch (const UsageError &error) {
    std::fprintf(stderr, "vozpack: %s\n\n%s", error.message.c_str(), kUsage);
    return 2;
  } catch (const std::exception &error) {
    std::fprintf(stderr, "vozpack: %s\n", error.what());
    return 1;
  }
}

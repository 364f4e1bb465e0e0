// wine-printer-setup NAME PORT [letter|a4]
//
// Run inside a Wine prefix: installs Wine's PostScript driver with its generic
// PPD and makes NAME the default printer, its output going to PORT (a unix
// path, overwritten per job, or "|command" to pipe each job to a shell).
// Prints the resulting "windows"/"device" profile string.
#include <windows.h>
#include <winspool.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

const char kDriverName[] = "Morvane PostScript";

// Wine's generic PPD is resource "PPDFILE" 1 of winspool.drv.
bool write_generic_ppd(const std::string& path) {
  HMODULE spool = LoadLibraryExA("winspool.drv", nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (!spool) return false;
  bool ok = false;
  HRSRC found = FindResourceA(spool, MAKEINTRESOURCEA(1), "PPDFILE");
  HGLOBAL loaded = found ? LoadResource(spool, found) : nullptr;
  const char* data = loaded ? static_cast<const char*>(LockResource(loaded)) : nullptr;
  if (data) {
    DWORD size = SizeofResource(spool, found);
    const void* nul = std::memchr(data, '\0', size);
    if (nul) size = static_cast<DWORD>(static_cast<const char*>(nul) - data);
    if (FILE* out = std::fopen(path.c_str(), "wb")) {
      ok = std::fwrite(data, 1, size, out) == size;
      ok = std::fclose(out) == 0 && ok;
    }
  }
  FreeLibrary(spool);
  return ok;
}

bool add_driver(const std::string& ppd) {
  DRIVER_INFO_3A info{};
  info.cVersion = 3;
  info.pName = const_cast<char*>(kDriverName);
  info.pEnvironment = const_cast<char*>("Windows x64");
  info.pDriverPath = const_cast<char*>("wineps.drv");
  info.pDataFile = const_cast<char*>(ppd.c_str());
  info.pConfigFile = const_cast<char*>("wineps.drv");
  info.pDefaultDataType = const_cast<char*>("RAW");
  return AddPrinterDriverExA(nullptr, 3, reinterpret_cast<BYTE*>(&info),
                             APD_COPY_NEW_FILES | APD_COPY_FROM_DIRECTORY) != FALSE;
}

// A printer of that name from an earlier run goes first, so a rerun can change
// the port or the paper.
void remove_printer(const std::string& name) {
  HANDLE old = nullptr;
  PRINTER_DEFAULTSA access{nullptr, nullptr, PRINTER_ALL_ACCESS};
  if (!OpenPrinterA(const_cast<char*>(name.c_str()), &old, &access)) return;
  DeletePrinter(old);
  ClosePrinter(old);
}

HANDLE add_printer(const std::string& name, const std::string& port) {
  remove_printer(name);
  PRINTER_INFO_2A info{};
  info.pPrinterName = const_cast<char*>(name.c_str());
  info.pPortName = const_cast<char*>(port.c_str());
  info.pDriverName = const_cast<char*>(kDriverName);
  info.pPrintProcessor = const_cast<char*>("WinPrint");
  info.pDatatype = const_cast<char*>("RAW");
  return AddPrinterA(nullptr, 2, reinterpret_cast<BYTE*>(&info));
}

int fail(const char* step) {
  std::fprintf(stderr, "wine-printer-setup: %s failed (error %lu)\n", step,
               static_cast<unsigned long>(GetLastError()));
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3 || argc > 4) {
    std::fprintf(stderr, "usage: wine-printer-setup NAME PORT [letter|a4]\n");
    return 2;
  }
  const std::string name = argv[1];
  const std::string port = argv[2];
  const std::string paper = argc == 4 ? argv[3] : "a4";
  if (paper != "letter" && paper != "a4") {
    std::fprintf(stderr, "wine-printer-setup: paper must be letter or a4\n");
    return 2;
  }

  char temp[MAX_PATH] = {};
  if (!GetTempPathA(MAX_PATH, temp)) return fail("GetTempPathA");
  const std::string ppd = std::string(temp) + "morvane-generic.ppd";
  if (!write_generic_ppd(ppd)) return fail("extracting the PPD");
  if (!add_driver(ppd)) return fail("AddPrinterDriverExA");

  HANDLE printer = add_printer(name, port);
  if (!printer) return fail("AddPrinterA");
  if (paper == "letter") {
    char letter[] = "Letter";
    if (SetPrinterDataExA(printer, "PPD Overrides", "DefaultPageSize", REG_SZ,
                          reinterpret_cast<BYTE*>(letter), sizeof letter) != ERROR_SUCCESS) {
      ClosePrinter(printer);
      return fail("SetPrinterDataExA");
    }
  }
  ClosePrinter(printer);
  if (!SetDefaultPrinterA(name.c_str())) return fail("SetDefaultPrinterA");

  char device[256] = {};
  GetProfileStringA("windows", "device", ",,,", device, 255);
  std::printf("%s\n", device);
  return 0;
}

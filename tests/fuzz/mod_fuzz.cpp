// Mutated MathProg models through `mod_lp`: whatever GLPK makes of them, the
// entry is announced and the shell goes on to the next command.

#include <glpk.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

#include "session.h"

namespace {

using namespace vardelmo::fuzz;

// The empty lines after the entries, the prompt and the start of the help
// text: the command returned.
const std::string kWentOn = "\n\nVardelmo> \n opt ";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  // The text from the first "data;" on is the model's data file, so that
  // mutations reach both ways of reading data.
  const std::size_t data_start = input.find("data;");
  const std::filesystem::path& work = fresh_workspace();
  std::filesystem::remove_all(work / "m");
  std::filesystem::create_directory(work / "m");
  write_file(work / "m" / "x.mod", input.substr(0, data_start));
  if (data_start != std::string::npos) write_file(work / "m" / "x.dat", input.substr(data_start));

  // A short model can ask GLPK for any amount of memory; its own limit turns
  // that into one of its fatal errors, which the conversion must survive.
  glp_mem_limit(256);
  const SessionOutput session = run_session("mod_lp\nm\nhelp\nexit\n");

  require(session.out.find("Modelo 0 gerado\n") != std::string::npos,
          "the model was not announced", session);
  require(session.out.find(kWentOn) != std::string::npos && ends_with(session.out, kWentOnToExit),
          "the shell did not go on after the conversion", session);
  return 0;
}

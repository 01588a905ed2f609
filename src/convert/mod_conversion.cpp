#include "convert/mod_conversion.h"

#include <glpk.h>

#include <csetjmp>
#include <memory>
#include <optional>

#include "base/console.h"
#include "base/files.h"

namespace vardelmo {
namespace {

struct ProblemDeleter {
  void operator()(glp_prob* problem) const noexcept { glp_delete_prob(problem); }
};
struct WorkspaceDeleter {
  void operator()(glp_tran* workspace) const noexcept { glp_mpl_free_wksp(workspace); }
};

// The stage a conversion is in, named after the message a failure in it gets.
enum class Stage { none, translate, generate, write };

// One model's GLPK objects. The caller of the guarded conversion owns it, so
// a fatal error that jumps back into that conversion finds it intact.
struct GlpkModel {
  // Declared in creation order, so the workspace is released first.
  std::unique_ptr<glp_prob, ProblemDeleter> problem;
  std::unique_ptr<glp_tran, WorkspaceDeleter> workspace;
  // Read after a jump out of GLPK, so it must not live in a register.
  volatile Stage stage = Stage::none;
};

// Made before GLPK runs, so that no string is built where a jump can pass.
struct ModelPaths {
  std::string model;
  std::string data;
  std::string lp;
  bool data_readable;
};

// GLPK ends the process when a hook returns, so it never does.
[[noreturn]] void leave_glpk(void* landing) {
  std::longjmp(*static_cast<std::jmp_buf*>(landing), 1);
}

// Holds no object with a destructor: a fatal error jumps over this frame.
Stage run_glpk(GlpkModel& model, const ModelPaths& paths) {
  model.stage = Stage::translate;
  model.problem.reset(glp_create_prob());
  model.workspace.reset(glp_mpl_alloc_wksp());
  glp_tran* workspace = model.workspace.get();
  if (paths.data_readable) {
    // With a data file, a data section inside the model is read as well.
    if (glp_mpl_read_model(workspace, paths.model.c_str(), 0) != 0 ||
        glp_mpl_read_data(workspace, paths.data.c_str()) != 0)
      return Stage::translate;
  } else if (glp_mpl_read_model(workspace, paths.model.c_str(), 1) != 0) {
    return Stage::translate;
  }

  model.stage = Stage::generate;
  if (glp_mpl_generate(workspace, nullptr) != 0) return Stage::generate;

  model.stage = Stage::write;
  glp_mpl_build_prob(workspace, model.problem.get());
  if (glp_write_lp(model.problem.get(), nullptr, paths.lp.c_str()) != 0) return Stage::write;
  return Stage::none;
}

// Runs the conversion with GLPK's fatal errors turned into a failed stage.
Stage run_glpk_guarded(GlpkModel& model, const ModelPaths& paths) {
  std::jmp_buf landing;
  glp_error_hook(leave_glpk, &landing);
  if (setjmp(landing) != 0) {
    // After a fatal error GLPK's state cannot be trusted; freeing its whole
    // environment is its documented way out, and takes our two objects and
    // the hook with it.
    model.problem.release();
    model.workspace.release();
    glp_free_env();
    return model.stage;
  }
  const Stage outcome = run_glpk(model, paths);
  glp_error_hook(nullptr, nullptr);
  return outcome;
}

}  // namespace

void convert_mod_file(std::string entry) {
  if (entry.size() < 3 || entry.compare(entry.size() - 3, 3, "mod") != 0) return;
  const std::string stem = entry.substr(0, entry.size() - 3);
  ModelPaths paths{entry, stem + "dat", stem + "lp", false};
  paths.data_readable = file_can_be_read(paths.data);

  GlpkModel model;
  switch (run_glpk_guarded(model, paths)) {
    case Stage::translate:
      print_error("Erro ao tranformar modelo\n");
      break;
    case Stage::generate:
      print_error("Erro ao gerar modelo\n");
      break;
    case Stage::write:
      print_error("Erro ao escrever arquivo .lp\n");
      break;
    case Stage::none:
      break;
  }
}

void convert_mod_folder() {
  const std::optional<std::string> folder = ask_for_folder(
      "Digite o caminho da pasta de arquivos .mod> ", "Pasta de .mods inexistente ou inválida...\n");
  if (!folder) return;
  print("Pasta de .mod encontrada\n");
  const FileNameList entries = list_folder(*folder);
  for (std::size_t i = 0; i < entries.size(); ++i) {
    print("------------------------------------------------------------\nModelo " +
          std::to_string(i) + " gerado\n");
    convert_mod_file(std::string(entries[i]));
  }
  print("\n\n");
}

}  // namespace vardelmo

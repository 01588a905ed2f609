# The session that the package tests run, once with the packaged program and
# once with the build's own, and the checks of the packaged one's results
# against the build's. Sourced by deb_test.sh and zip_test.sh, which set
# $root (the source folder) and $test_name.
# shellcheck shell=bash disable=SC2154

# lay_out_session FOLDER: the models under FOLDER: an LP model for a SCIP
# batch, a MathProg model with its data for mod_lp.
lay_out_session() {
  local folder=$1
  mkdir -p "$folder/modelos" "$folder/saida" "$folder/mod" "$folder/inicio"
  cp "$root/tests/data/miplib/flugpl.lp" "$folder/modelos/"
  printf 'set I;\nparam c{I};\nvar x{I} >= 0;\nminimize custo: sum{i in I} c[i] * x[i];\ns.t. demanda: sum{i in I} x[i] >= 2.5;\nend;\n' \
    >"$folder/mod/pequeno.mod"
  printf 'data;\nset I := a b;\nparam c := a 3 b 2;\nend;\n' >"$folder/mod/pequeno.dat"
}

# session_input FOLDER: the shell's input, FOLDER written as the program
# sees it: a time limit with the decimal comma, the batch, the conversion.
session_input() {
  printf 'time_limit\n60,5\nopt\n%s/modelos\n%s/saida\nmod_lp\n%s/mod\nexit\n' "$1" "$1" "$1"
}

# Times, which no run repeats, and the CR of Windows' line ends go.
mask_session() { tr -d '\r' | sed -E 's/^TEMPO: .*/TEMPO: T/; s/^(SCIP;[^;]*;)[^;]*;/\1T;/'; }

session_result=0
# check WHAT EXPECTED ACTUAL
check() {
  if [ "$2" != "$3" ]; then
    echo "$test_name: $1 differs:" >&2
    diff <(printf '%s\n' "$2") <(printf '%s\n' "$3") >&2 || true
    session_result=1
  fi
}

# check_session PACKAGED REFERENCE REFERENCE_AS_SEEN PACKAGED_AS_SEEN: the
# packaged program's run in PACKAGED against the build's in REFERENCE (each
# folder holding the session, saida.txt, erros.txt and status).
check_session() {
  local packaged=$1 reference=$2 reference_seen=$3 packaged_seen=$4
  check "exit status" 0 "$(cat "$packaged/status")"
  check "standard error" "" "$(tr -d '\r' <"$packaged/erros.txt")"
  check "standard output" \
    "$(sed "s|$reference_seen|$packaged_seen|g" "$reference/saida.txt" | mask_session)" \
    "$(mask_session <"$packaged/saida.txt")"
  check "sol_stat.csv" "$(printf 'SOLVER;NOME;TEMPO;STATUS;Z\nSCIP;flugpl.lp;T;SOL OTIMA;1201500,000000;')" \
    "$(mask_session <"$packaged/saida/sol_stat.csv")"
  check "the converted model" "$(cat "$reference/mod/pequeno.lp")" "$(cat "$packaged/mod/pequeno.lp")"
}

# expected_version BUILD: what --version prints where there is no Gurobi;
# HiGHS's line where the build has a wheel's HiGHS library.
expected_version() {
  printf 'Vardelmo %s\nSCIP %s\n' \
    "$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$1/CMakeCache.txt")" \
    "$(sed -n 's/^scip_version=//p' "$root/cmake/pyscipopt-wheel.txt")"
  if compgen -G "$1/highs-wheel/lib/*highs*" >/dev/null; then
    printf 'HiGHS %s\n' "$(sed -n 's/^highs_version=//p' "$root/cmake/highspy-wheel.txt")"
  fi
  printf 'Gurobi: nenhuma biblioteca encontrada'
}

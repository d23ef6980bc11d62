#!/usr/bin/env bash
# Puts one-line faults into a scratch copy of the tree, one at a time; each is built and the
# default suite (`ctest -LE slow`, stopping at the first failure) is run on it. A fault the suite
# lets pass "survives". Run by hand, not by the suite: it takes the better part of an hour on
# two cores. Usage: scripts/mutate.sh [NUMBER...]   (all faults when no number is given)
# Environment: MUTATE_DIR (scratch folder, default /tmp/quarvelin_mutate), JOBS (default 2),
# MUTATE_SKIP_BASELINE=1 to skip the check that the unchanged copy passes, MUTATE_EXCLUDE=REGEX
# to leave tests out (MUTATE_EXCLUDE=Signature shows what the other tests catch without the
# search's node signature).
# Prints one line per fault and the survivors at the end; the exit status is their count.
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
scratch=${MUTATE_DIR:-/tmp/quarvelin_mutate}
jobs=${JOBS:-2}

# file @@ text found exactly once @@ its replacement @@ the fault it stands for
mutations=(
  "src/search/clock.cpp@@if (elapsed < move_allocation) return 0;@@if (elapsed < 2 * int64_t{move_allocation}) return 0;@@the clock modes stop at twice their budget"
  "src/search/clock.cpp@@return clock_now() >= clock_start + time_per_move_ms ? 1 : 0;@@return clock_now() >= clock_start + 2 * time_per_move_ms ? 1 : 0;@@the time-per-move mode stops at twice its time"
  "src/search/clock.cpp@@return 3 * (clock_now() - clock_start) > 2 * int64_t{move_allocation};@@return 3 * (clock_now() - clock_start) > 3 * int64_t{move_allocation};@@a new iteration starts until the whole budget is spent"
  "src/search/clock.cpp@@if ((root_fail_flags & 3) != 0@@if ((root_fail_flags & 1) != 0@@no extension while the best root move is below alpha"
  "src/search/clock.cpp@@if (current_limit <= int64_t{base_allocation} * 4 &&@@if (current_limit <= int64_t{base_allocation} * 8 &&@@the fail-low extension grows to eight budgets"
  "src/search/clock.cpp@@if (iteration_depth <= min_depth) return 0;@@if (iteration_depth < min_depth) return 0;@@the clock may stop the search at the minimum depth"
  "src/search/clock.cpp@@(ply / 2 + 1) % p.moves_per_control == 0)@@(ply / 2) % p.moves_per_control == 0)@@the time of a new control comes a move early"
  "src/search/clock.cpp@@r / std::min(left + 4, 40)@@r / std::min(left + 4, 41)@@a long control's allocation divided by 41"
  "src/search/clock.cpp@@2 * (clock_now() - search_start) > 3 * int64_t{move_allocation}@@2 * (clock_now() - search_start) > 4 * int64_t{move_allocation}@@a ponder hit keeps searching past one and a half budgets"
  "src/eval/evaluation.cpp@@v += king_terms(1, black_phase) - king_terms(-1, white_phase);@@v += king_terms(1, black_phase) + king_terms(-1, white_phase);@@Black's king terms counted for White"
  "src/eval/evaluation.cpp@@return v + penalty[BLACK] - penalty[WHITE];@@return v - penalty[BLACK] + penalty[WHITE];@@the penalty accumulators swapped"
  "src/eval/evaluation.cpp@@v -= endgame_drive(-1) * black_phase /@@v += endgame_drive(-1) * black_phase /@@Black's endgame drive counted for White"
  "src/eval/evaluation.cpp@@return securite_roi(s) + endgame * (8 - opponent_phase) / 4;@@return securite_roi(s) + endgame * (9 - opponent_phase) / 4;@@the king-term blend weighted a quarter too much"
  "src/search/search.cpp@@is_reducible(n, m) && ++reducible >= 3) {@@is_reducible(n, m) && ++reducible >= 2) {@@late moves reduced from the second reducible one"
  "src/search/search.cpp@@if (depth >= TWO_PLIES && n.material + 100 > beta && off_pv != 0@@if (depth >= TWO_PLIES && n.material + 200 > beta && off_pv != 0@@the null move tried with less than a pawn of material over beta"
  "src/search/search.cpp@@if (depth >= SEVEN_PLIES) return depth - FOUR_PLIES;@@if (depth >= SEVEN_PLIES) return depth - THREE_PLIES;@@deep null moves and internal deepening a ply too deep"
  "src/search/search.cpp@@if (depth >= THREE_PLIES && hash_find() == nullptr &&@@if (depth >= FOUR_PLIES && hash_find() == nullptr &&@@internal deepening only from four plies"
  "src/search/search.cpp@@const int margin = *depth < TWO_PLIES ? 0 : 500;@@const int margin = *depth < TWO_PLIES ? 0 : 400;@@a narrower futility margin two plies from the horizon"
  "src/search/search.cpp@@r <= -MATE_BOUND && n.height <= iteration_depth && ext == 0) {@@r <= -MATE_BOUND && n.height < iteration_depth && ext == 0) {@@no mate-threat extension at the iteration's depth"
  "src/search/search.cpp@@*depth >= TWO_PLIES && count > EVASION_LIMIT[men])@@*depth >= TWO_PLIES && count >= EVASION_LIMIT[men])@@the evasion limit reduces one evasion early"
  "src/search/search.cpp@@for (int i = 0; i < earlier; ++i) ++h[move_index_of(n.searched_list[i])].tries;@@for (int i = 1; i < earlier; ++i) ++h[move_index_of(n.searched_list[i])].tries;@@the first move searched loses its history try"
  "src/search/search.cpp@@if (!n.in_check && beta <= h - 29998) {@@if (!n.in_check && beta <= h - 29997) {@@mate-distance pruning a ply too eager"
  "src/search/root.cpp@@constexpr int ASPIRATION_DELTA = 30;@@constexpr int ASPIRATION_DELTA = 40;@@a wider first aspiration window"
  "src/search/root.cpp@@if (tag_of(j) != 0) set_tag(j, tag_of(j) - 1);@@if (tag_of(j) > 1) set_tag(j, tag_of(j) - 1);@@an older best move keeps its last tag"
  "src/search/root.cpp@@r = search_root_move(i, r - 1, beta, depth, 0);@@r = search_root_move(i, r - 1, r, depth, 0);@@the root re-search keeps a null window"
  "src/search/root.cpp@@if (!ponder_search && (cell->packed & BOUND_BITS) != BOUND_EXACT) return 1;@@if ((cell->packed & BOUND_BITS) != BOUND_EXACT) return 1;@@a ponder search ignores a stored bound"
  "src/search/root.cpp@@if (!analyse_mode && search_link.book_move != nullptr) {@@if (search_link.book_move != nullptr) {@@the book answers in analysis"
  "src/search/hash.cpp@@int(cell->depth & 0x7fff) + s >= 29999 - height)@@int(cell->depth & 0x7fff) + s > 29999 - height)@@a stored mate exact one ply too late"
  "src/movegen/checks.cpp@@static constexpr int ORTHOGONAL[4] = {1, -1, 10, -10};@@static constexpr int ORTHOGONAL[4] = {1, -1, -10, 10};@@checking moves in another order"
  "src/book/random.cpp@@constexpr int SLOT_SHIFT = 26;@@constexpr int SLOT_SHIFT = 27;@@the shuffle table read in its lower half only"
  "src/frontend/startup.cpp@@s.w13 = s.w13 + r - 132342u;@@s.w13 = s.w13 + r - 132343u;@@the speed kernel off by one"
  "src/frontend/commands.cpp@@    evaluation_pions();
@@@@the evaluation line's lazy bounds from stale pawn flags"
)

# Copies the tree (tracked and untracked files, not the ignored ones) into the scratch folder.
prepare()
{
    rm -rf "$scratch/tree"
    mkdir -p "$scratch/tree" "$scratch/build"
    (cd "$root" && git ls-files -z --cached --others --exclude-standard |
        xargs -0 cp --parents -t "$scratch/tree")
    cmake -S "$scratch/tree" -B "$scratch/build" -DCMAKE_BUILD_TYPE=Release >/dev/null
}

build()
{
    cmake --build "$scratch/build" -j "$jobs" --target quarvelin_tests >"$scratch/build.log" 2>&1
}

run_suite()
{
    local exclude=()
    [ -z "${MUTATE_EXCLUDE:-}" ] || exclude=(-E "$MUTATE_EXCLUDE")
    # Without the costs of earlier runs ctest keeps the tests' own order, unit tests first, so
    # the test named below is the first unit test that failed rather than the longest one.
    rm -f "$scratch/build/Testing/Temporary/CTestCostData.txt"
    (cd "$scratch/build" &&
        ctest -LE slow "${exclude[@]}" --stop-on-failure -j "$jobs" >"$scratch/test.log" 2>&1)
}

# Replaces the single occurrence of $2 in file $1 by $3; fails when it is not found exactly once.
replace_once()
{
    local file=$1 from=$2 to=$3 text
    text=$(<"$file") || return 1
    local rest=${text#*"$from"}
    [ "$rest" != "$text" ] || return 1
    [ "${rest#*"$from"}" = "$rest" ] || return 1
    printf '%s\n' "${text%%"$from"*}$to$rest" >"$file"
}

prepare
echo "building the unchanged copy in $scratch ..."
cmake --build "$scratch/build" -j "$jobs" >"$scratch/build.log" 2>&1 || {
    echo "the unchanged copy does not build (see $scratch/build.log)"
    exit 100
}
if [ "${MUTATE_SKIP_BASELINE:-0}" != 1 ] && ! run_suite; then
    echo "the unchanged copy fails its suite (see $scratch/test.log)"
    exit 100
fi

selected=("$@")
[ ${#selected[@]} -gt 0 ] || selected=($(seq 1 ${#mutations[@]}))
survivors=()
for n in "${selected[@]}"; do
    record=${mutations[n - 1]}
    file=${record%%@@*} && record=${record#*@@}
    from=${record%%@@*} && record=${record#*@@}
    to=${record%%@@*} && why=${record#*@@}
    target="$scratch/tree/$file"
    cp "$target" "$scratch/original"
    if ! replace_once "$target" "$from" "$to"; then
        printf '%2d  not applied (text not found once in %s): %s\n' "$n" "$file" "$why"
        continue
    fi
    if ! build; then
        printf '%2d  does not build: %s\n' "$n" "$why"
    elif run_suite; then
        printf '%2d  SURVIVED: %s\n' "$n" "$why"
        survivors+=("$n")
    else
        first=$(grep -m1 -E '\*\*\*Failed|\(Failed\)|\*\*\*Timeout|\*\*\*Exception' "$scratch/test.log" |
            sed -E 's/^ *[0-9]+\/[0-9]+ Test +#[0-9]+: ([^ ]+).*/\1/')
        printf '%2d  killed by %s: %s\n' "$n" "$first" "$why"
    fi
    cp "$scratch/original" "$target"
done
echo "survivors: ${survivors[*]:-none}"
exit ${#survivors[@]}

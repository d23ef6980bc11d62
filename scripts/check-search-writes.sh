#!/usr/bin/env bash
# Fails when a file outside src/search writes a variable of the search's state: the running
# think's limits and clock state, its root and node records, counters and tables. Front ends
# hand the search a limits value and call its functions; they only read its state.
# Usage: check-search-writes.sh [SRC_DIR]
set -u
src=${1:-$(dirname "$0")/../src}
names='time_control_mode|min_depth|max_depth|max_nodes|time_per_move_ms|moves_to_go|pendule'
names+='|time_operations|base_allocation|current_limit|move_allocation|clock_start'
names+="|allocation_side|allocation_moves_left|analyse_mode|ponder_search|ponder_hit|min_allocation|extension_allowed"
names+='|predicted_move|root_moves_only|root_moves_only_count|root_list|root_count|root_index'
names+='|root_alpha|root_beta|root_fail_flags|search_start|last_score|root_side|tag_counter'
names+='|search_stopped|poll_nodes|iteration_depth|search_nodes|ply_info|killers'
names+='|countermoves|history|quiescence_nodes|superq_nodes'
names+='|root_first|multipv_lines|root_lines|root_line_count|skill_margin'
# An assignment, compound assignment or increment of one of the names, subscripted or not.
write="(^|[^a-zA-Z0-9_.>])($names)\b(\[[^]]*\])*(\.[a-z_]+)?[[:space:]]*([-+*/|&^]?=[^=]|\+\+|--)"
write+="|(\+\+|--)[[:space:]]*($names)\b"
found=$(grep -rnE "$write" "$src" --include='*.cpp' --include='*.h' | grep -v "^$src/search/")
if [ -n "$found" ]; then
    echo "$found"
    echo "search state written outside the search"
    exit 1
fi
echo "no search state written outside the search"

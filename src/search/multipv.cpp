// The further passes of a several-line iteration. A pass searches the root list from
// `root_first` on with a full window, so the moves chosen before it stay out; the list, its tags
// and the failure flags are put back afterwards, so that the next iteration is ordered as the
// plain search would order it, and the root's stored result stays the iteration's own.
#include "search/multipv.h"

#include <algorithm>

#include "core/makemove.h"
#include "search/root.h"
#include "search/search.h"
#include "search/search_link.h"
#include "search/think_info.h"

QV_THREAD_STATE int32_t multipv_lines = 1;
QV_THREAD_STATE RootLine root_lines[ROOT_LIST_SIZE];
QV_THREAD_STATE int32_t root_line_count;

namespace {

QV_THREAD_STATE RootLine pass_lines[ROOT_LIST_SIZE];
QV_THREAD_STATE RootEntry saved_list[ROOT_LIST_SIZE];

void fill_line(RootLine* line, Move m, int score)
{
    line->move = m;
    line->score = score;
    line->pv[0] = m;
    make_move(m);
    line->pv_length = 1 + collect_pv(line->pv + 1, ROOT_LINE_PV - 1);
    unmake_move(m);
}

// The root list for pass k (0-based): the k moves chosen so far first, then the others in the
// order the iteration's own search left them.
void arrange_for_pass(int k)
{
    int n = 0;
    for (int i = 0; i < k; ++i) root_list[n++] = RootEntry{pass_lines[i].move, 0};
    for (int i = 0; i < root_count; ++i) {
        bool chosen = false;
        for (int j = 0; j < k && !chosen; ++j) chosen = saved_list[i].move == pass_lines[j].move;
        if (!chosen) root_list[n++] = saved_list[i];
    }
}

void restore_root_state(int tags, uint32_t fail_flags)
{
    std::copy_n(saved_list, root_count, root_list);
    tag_counter = tags;
    root_fail_flags = fail_flags;
    root_first = 0;
}

}  // namespace

void clear_root_lines()
{
    root_line_count = 0;
}

bool search_other_lines(Move* best, int depth)
{
    const int wanted = std::min(multipv_lines, root_count);
    std::copy_n(root_list, root_count, saved_list);
    const int tags = tag_counter;
    const uint32_t fail_flags = root_fail_flags;
    fill_line(&pass_lines[0], *best, last_score);
    for (int k = 1; k < wanted; ++k) {
        arrange_for_pass(k);
        root_first = k;
        Move m = 0;
        const int r = RootSearch(&m, -MAX_SCORE, MAX_SCORE, depth);
        if (search_stopped) {
            restore_root_state(tags, fail_flags);
            return false;
        }
        fill_line(&pass_lines[k], m != 0 ? m : root_list[k].move, r);
    }
    restore_root_state(tags, fail_flags);
    // Each pass finds the best of what is left, but a search is not exact: a later pass may
    // score higher than an earlier one, and the lines are shown and played best first.
    std::stable_sort(pass_lines, pass_lines + wanted,
                     [](const RootLine& a, const RootLine& b) { return a.score > b.score; });
    std::copy_n(pass_lines, wanted, root_lines);
    root_line_count = wanted;
    *best = root_lines[0].move;
    last_score = root_lines[0].score;
    for (int k = 0; k < wanted; ++k) {
        SearchReport r{SearchEvent::ROOT_LINE, root_lines[k].score, root_lines[k].move};
        r.line = k + 1;
        r.pv = root_lines[k].pv;
        r.pv_length = root_lines[k].pv_length;
        report_event(r);
    }
    return true;
}

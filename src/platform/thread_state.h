// Where a search's state lives. Built with QUARVELIN_THREAD_STATE, every variable a search writes
// is thread-local, so that searches on several threads keep apart; without it the same variables
// are plain globals, one absolute-addressed access each instead of a thread-relative one, and
// only one thread may search. Both keep the variables constant-initialised: no guard, no call.
#pragma once

#ifdef QUARVELIN_THREAD_STATE
#define QV_THREAD_STATE thread_local constinit
#else
#define QV_THREAD_STATE constinit
#endif

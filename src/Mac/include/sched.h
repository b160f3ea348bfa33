#pragma once
#ifdef __cplusplus
extern "C" {
#endif
int sched_yield(void);
#ifdef __cplusplus
}
#endif

#pragma once
#ifdef __cplusplus
extern "C" {
#endif
int* __error(void);
#define errno (*__error())
#define EINTR 4
#ifdef __cplusplus
}
#endif

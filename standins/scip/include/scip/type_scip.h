/* The SCIP instance, opaque to programs. */
#ifndef __SCIP_TYPE_SCIP_H__
#define __SCIP_TYPE_SCIP_H__

#ifdef __cplusplus
extern "C" {
#endif

typedef struct Scip SCIP;

#ifdef __cplusplus
}
#endif

#endif

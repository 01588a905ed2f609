/* Message handlers, opaque to programs. */
#ifndef __SCIP_TYPE_MESSAGE_H__
#define __SCIP_TYPE_MESSAGE_H__

#ifdef __cplusplus
extern "C" {
#endif

typedef struct SCIP_Messagehdlr SCIP_MESSAGEHDLR;

#ifdef __cplusplus
}
#endif

#endif

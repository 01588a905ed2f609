/* The instance's message handler. */
#ifndef __SCIP_SCIP_MESSAGE_H__
#define __SCIP_SCIP_MESSAGE_H__

#include "scip/def.h"
#include "scip/type_message.h"
#include "scip/type_retcode.h"
#include "scip/type_scip.h"

#ifdef __cplusplus
extern "C" {
#endif

/** installs a message handler; NULL silences the instance's normal output */
SCIP_EXPORT
SCIP_RETCODE SCIPsetMessagehdlr(
   SCIP*                 scip,
   SCIP_MESSAGEHDLR*     messagehdlr
   );

#ifdef __cplusplus
}
#endif

#endif

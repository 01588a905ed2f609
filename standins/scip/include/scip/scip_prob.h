/* Creating and reading problems. */
#ifndef __SCIP_SCIP_PROB_H__
#define __SCIP_SCIP_PROB_H__

#include "scip/def.h"
#include "scip/type_retcode.h"
#include "scip/type_scip.h"

#ifdef __cplusplus
extern "C" {
#endif

/** replaces the instance's problem by an empty one */
SCIP_EXPORT
SCIP_RETCODE SCIPcreateProbBasic(
   SCIP*                 scip,
   const char*           name
   );

/** reads a problem file; with extension NULL the reader is chosen by the
 *  file name's extension */
SCIP_EXPORT
SCIP_RETCODE SCIPreadProb(
   SCIP*                 scip,
   const char*           filename,
   const char*           extension
   );

#ifdef __cplusplus
}
#endif

#endif

/* Solving status of a SCIP instance. */
#ifndef __SCIP_TYPE_STAT_H__
#define __SCIP_TYPE_STAT_H__

#ifdef __cplusplus
extern "C" {
#endif

enum SCIP_Status
{
   SCIP_STATUS_UNKNOWN        =  0,
   SCIP_STATUS_OPTIMAL        =  1,
   SCIP_STATUS_INFEASIBLE     =  2,
   SCIP_STATUS_UNBOUNDED      =  3,
   SCIP_STATUS_INFORUNBD      =  4,
   SCIP_STATUS_USERINTERRUPT  = 10,
   SCIP_STATUS_TERMINATE      = 11,
   SCIP_STATUS_NODELIMIT      = 20,
   SCIP_STATUS_TOTALNODELIMIT = 21,
   SCIP_STATUS_STALLNODELIMIT = 22,
   SCIP_STATUS_TIMELIMIT      = 23,
   SCIP_STATUS_MEMLIMIT       = 24,
   SCIP_STATUS_GAPLIMIT       = 25,
   SCIP_STATUS_PRIMALLIMIT    = 26,
   SCIP_STATUS_DUALLIMIT      = 27,
   SCIP_STATUS_SOLLIMIT       = 28,
   SCIP_STATUS_BESTSOLLIMIT   = 29,
   SCIP_STATUS_RESTARTLIMIT   = 30
};
typedef enum SCIP_Status SCIP_STATUS;

#ifdef __cplusplus
}
#endif

#endif

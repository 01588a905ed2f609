/* Symbol visibility of the SCIP interface: the library is built with hidden
 * visibility, so everything a program may call is marked for export. */
#ifndef SCIP_EXPORT_H
#define SCIP_EXPORT_H

#if defined(__GNUC__) || defined(__clang__)
#define SCIP_EXPORT __attribute__((visibility("default")))
#else
#define SCIP_EXPORT
#endif

#endif

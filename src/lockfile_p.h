#ifndef LOCKFILE_P_H
#define LOCKFILE_P_H
#endif

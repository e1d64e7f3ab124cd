// A job object that ends every process in it when its last handle closes.
// This process holds the only handle, so whatever ends this process (a
// taskkill, a crash, the console closing before the grace is over) ends a
// child placed in the job too: the child never writes on, unwatched, into a
// file nobody will remove.
#pragma once

#include <windows.h>

#include "platform/windows/win32.h"

namespace platform::win32 {

class KillOnCloseJob {
 public:
  // Makes the job; when the system refuses, adopt() does nothing.
  KillOnCloseJob();

  // Puts a process, best started suspended, into the job. False when the
  // system refuses (a job this process is in may forbid nested ones): the
  // child then runs as before, outside any job.
  bool adopt(HANDLE process) const;

 private:
  Handle job_;
};

}  // namespace platform::win32

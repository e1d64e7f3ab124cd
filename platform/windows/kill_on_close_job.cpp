#include "platform/windows/kill_on_close_job.h"

namespace platform::win32 {

KillOnCloseJob::KillOnCloseJob() : job_(::CreateJobObjectA(nullptr, nullptr)) {
  if (!job_.valid()) return;
  JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
  limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
  if (!::SetInformationJobObject(job_.get(), JobObjectExtendedLimitInformation, &limits,
                                 sizeof limits)) {
    job_.reset();
  }
}

bool KillOnCloseJob::adopt(HANDLE process) const {
  return job_.valid() && ::AssignProcessToJobObject(job_.get(), process) != 0;
}

}  // namespace platform::win32

// QuickTime interface and music information: tag records, their readers and writers,
// QuickTime start-up and the sound-file checks.
#pragma once

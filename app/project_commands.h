// Saving and opening projects, applying a read project to the form, and the
// question to save changes.
#pragma once

#include <cstdint>
#include <string>

#include "app/project_file.h"

// Fills the extras from the form and the import state; the form is unchanged.
void GatherProjectExtras(ProjectExtras& extras);
int64_t SaveProject(int64_t saveAs);
void OpenProjectDialog();
int64_t OpenProjectFile(const std::string& path);
// The outline is moved out of params into the live records.
void ApplyProjectToForm(DesignParams& params, const VaseParams& vase, const ProjectExtras& extras);
// 1 go on (nothing modified, No, or Yes with a successful save), 0 stay.
int64_t AskSaveChanges();

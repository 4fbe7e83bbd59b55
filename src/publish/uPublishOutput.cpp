#include "uPublishOutput.h"

#include "uExportChm.h"
#include "uExportPdf.h"
#include "uExportWebHelp.h"
#include "uProjectOpen.h"

std::string PublishOutput(TOutputFormat format, const TDocProject& project, const TProjectSettings& settings,
                          const TOutputRun& run) {
  switch (format) {
    case TOutputFormat::WebHelp: return PublishWebHelp(project, &settings, run.Progress, run.Warnings);
    case TOutputFormat::Chm: return ExportChm(project, run.ChmQuestions, run.Progress, run.Warnings);
    case TOutputFormat::Pdf: {
      TPdfExportOptions options;
      options.OpenPdf = false;
      options.Progress = run.Progress;
      options.Warnings = run.Warnings;
      options.Settings = &settings;  // the profile's PDF keys over the project's
      return ExportPdf(project, PdfOutputFolder(project), options);
    }
  }
  return "";
}

void OpenProjectForBuild(const std::string& projectFile, const TBuildProfile* profile, TDocProject& project,
                         TProjectSettings& settings, std::vector<std::string>* warnings) {
  OpenProjectFile(projectFile, project, settings, warnings);
  ApplyBuildProfile(project, profile);
  settings = ProfileSettings(settings, profile);
}

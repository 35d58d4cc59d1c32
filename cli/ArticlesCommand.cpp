#include "cli/ArticlesCommand.h"

#include "cli/CliOptions.h"

int RunArticlesCommand(const CliOptions&, CliReport&, std::string& error) {
    error = "articles is not available yet";
    return 2;
}

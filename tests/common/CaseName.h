// The test name of a parameterised case from its description ("the handset put down" gives
// "thehandsetputdown"): Google Test takes letters, digits and underscores only.
#pragma once

#include <QRegularExpression>
#include <QString>
#include <gtest/gtest.h>
#include <string>

struct CaseName
{
    template <class Case> std::string operator()(const ::testing::TestParamInfo<Case> &info) const
    {
        QString name = QString::fromUtf8(info.param.name);
        name.remove(QRegularExpression(QStringLiteral("[^A-Za-z]")));
        return name.toStdString();
    }
};

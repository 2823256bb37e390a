#pragma once

// The control-chart factors of one subgroup size (ISO 8258 names; A4 is the median chart's).
struct TFactorRow {
    double A;
    double A2;
    double A3;
    double B3;
    double B4;
    double B5;
    double B6;
    double D1;
    double D2;
    double D3;
    double D4;
    double c4;
    double d2;
    double A4;
};

// The factors for subgroup size k, 2 to 25; sizes outside that range get the nearest row.
// Individual values use the row of k = 2.
const TFactorRow& FactorTable(int k);

-- The demo company database, as a new installation leaves it before its first
-- analysis: the company parameters and an empty status table.
CREATE DATABASE EMPRESA_DEMO
GO

CREATE TABLE ClienteTds (id int PRIMARY KEY, nome nvarchar(40), valor decimal(10,2))
go
INSERT INTO ClienteTds VALUES (1, N'Ação', 10.50), (2, N'Bola', 3.25)
go
SELECT id, nome, valor FROM ClienteTds ORDER BY id
go
BEGIN TRAN
INSERT INTO ClienteTds VALUES (3, N'Casa', 1)
ROLLBACK
go
SELECT COUNT(*) AS quantos FROM ClienteTds
go
SELECT * FROM NaoExiste
go
ALTER TABLE ClienteTds ADD obs varchar(10) NULL
go
SELECT name FROM sys.columns WHERE object_id = OBJECT_ID('ClienteTds') ORDER BY column_id
go
